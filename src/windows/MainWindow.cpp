#include "MainWindow.h"

#include "platform/WindowFrame.h"
#include "terminal/ReceivedBytes.h"
#include "windows/Artwork.h"
#include "windows/Controls.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

using windows::place;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kLightGreen(192, 220, 192);

template<typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QLabel* captionPanel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = named(new QLabel(caption, parent), name);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QStringList speedItems()
{
    return {"19200", "9600", "4800", "2400", "1200", "300"};
}

} // namespace

// The save action names the bound of what is kept, right-aligned beside its caption.
QString MainWindow::saveRecDataText(const char* caption, const char* last)
{
    return QString("%1\t%2 %3 MiB")
        .arg(caption, last)
        .arg(terminal::ReceivedBytes::kCapacity / (1024 * 1024));
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), m_client(new QWidget(this))
{
    setObjectName("Form1");
    setWindowTitle("数传电台演示软件");
    setWindowIcon(windows::applicationIcon());
    setFont(windows::pixelFont("MS Sans Serif", 11));
    setCentralWidget(m_client);

    buildToolbar(m_client);
    buildMenu();
    buildModelGroup(m_client);
    buildParameterGroup(m_client);
    buildTransferGroup(m_client);
    buildStatusBar(m_client);
    buildTestStrip(m_client);
    buildTimers();

    fitToContents();
    platform::centreOn(*this, nullptr);
    // Creating the window empties the ID field and leaves the window hidden.
    idEdit->clear();
    hide();
}

void MainWindow::buildToolbar(QWidget* client)
{
    toolbar = named(place(new QFrame(client), 1, 0, 704, 33), "Panel1");
    toolbar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto button = [this](const char* name, windows::Glyph glyph, const QString& hint, int x, int y,
                      int w, int h) {
        auto* b = named(place(new QToolButton(toolbar), x, y, w, h), name);
        b->setIcon(windows::toolbarIcon(glyph));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(hint);
        return b;
    };
    readButton = button("Speed_R", windows::Glyph::Read, "读参数", 2, 4, 26, 26);
    writeButton = button("Speed_W", windows::Glyph::Write, "写参数", 32, 4, 26, 26);
    writeButton->setEnabled(false);
    openPortButton = button("Speed_O", windows::Glyph::Open, "打开串口", 71, 5, 26, 25);
    closePortButton = button("Speed_C", windows::Glyph::Close, "关闭串口", 101, 4, 26, 26);
    aboutButton = button("BitBtn1", windows::Glyph::About, "About", 144, 4, 25, 26);
    exitButton = button("Speed_E", windows::Glyph::Exit, "退出", 185, 4, 27, 26);
    blankButton = button("SpeedButton1", windows::Glyph::Blank, QString(), 352, 0, 25, 25);
    revealButton = button("SpeedButton2", windows::Glyph::Blank, QString(), 383, -1, 25, 25);
    for (QToolButton* flat : {blankButton, revealButton}) {
        flat->setAutoRaise(true);
        flat->setVisible(false);
    }
}

void MainWindow::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    fileMenu = named(bar->addMenu("文件(&F)"), "FIle_M");
    readAction = named(fileMenu->addAction("读电台(&R)"), "FileRead");
    writeAction = named(fileMenu->addAction("写电台(&W)"), "FileWrite");
    writeAction->setEnabled(false);
    fileMenu->addSeparator();
    saveSettingsAction = named(fileMenu->addAction("保存参数到文件..."), "FileSaveSettings");
    loadSettingsAction = named(fileMenu->addAction("从文件载入参数..."), "FileLoadSettings");
    fileSeparator = named(fileMenu->addSeparator(), "N2");
    exitAction = named(fileMenu->addAction("退出(&X)"), "FileExit");
    radioMenu = named(bar->addMenu("电台(&E)"), "Seri_M");
    openPortAction = named(radioMenu->addAction("打开串口(&O)"), "Seri_O_M");
    closePortAction = named(radioMenu->addAction("关闭串口(&C)"), "Seri_C_M");
    radioMenu->addSeparator();
    verifyAfterWriteAction = named(radioMenu->addAction("写后回读校验(&V)"), "Seri_V_M");
    verifyAfterWriteAction->setCheckable(true);
    verifyAfterWriteAction->setChecked(true);
    helpMenu = named(bar->addMenu("帮助(&H)"), "Help_M");
    manualAction = named(helpMenu->addAction("使用说明(&M)"), "Help_U_M");
    aboutAction = named(helpMenu->addAction("关于(&A)"), "Help_A_M");
    registerTestAction = named(bar->addAction("测试"), "Test_M");
    registerTestAction->setVisible(false);
    linkTestAction = named(bar->addAction("链路测试"), "LinkTest_M");
    linkTestAction->setVisible(false);
}

void MainWindow::buildModelGroup(QWidget* client)
{
    modelGroup = named(place(new QGroupBox("电台型号", client), 0, 40, 137, 129), "GroupBox3");
    setTextColor(modelGroup, kNavy);
    modelCaption = place(captionPanel(modelGroup, "ParaModel", "电台型号"), 16, 21, 105, 22);
    modelVersionEdit = named(place(new QLineEdit(modelGroup), 16, 44, 105, 21), "EditModelVer");
    modelVersionEdit->setEnabled(false);
    setTextColor(modelVersionEdit, kBlue);
    modelVersionEdit->installEventFilter(this);
    idCaption = place(captionPanel(modelGroup, "ParaID", "电台ID码"), 16, 72, 105, 22);
    idEdit = named(place(new QLineEdit(modelGroup), 16, 95, 105, 21), "EditID");
    idEdit->setInputMask("999999; ");
    idEdit->setMaxLength(6);
    idCaption->setVisible(false);
    idEdit->setVisible(false);
}

void MainWindow::buildParameterGroup(QWidget* client)
{
    parameterGroup = named(place(new QGroupBox("电台参数", client), 0, 184, 137, 273), "GroupBox1");
    setTextColor(parameterGroup, kNavy);
    QStringList channels;
    for (int i = 1; i <= 32; ++i)
        channels << QString("NO.%1").arg(i);
    auto combo = [this](const char* name, const QStringList& items, int x, int y, int w) {
        auto* box
            = named(place(windows::makeEditableCombo(parameterGroup, items), x, y, w, 21), name);
        setTextColor(box, kBlue);
        return box;
    };
    channelCaption = place(captionPanel(parameterGroup, "ParaChnn", "信道号"), 16, 29, 105, 22);
    channelCombo = combo("ComboChnn", channels, 16, 61, 105);
    airRateCaption
        = place(captionPanel(parameterGroup, "ParaAriBaud", "空中速率"), 16, 91, 105, 22);
    airRateCombo = combo("ComboAirBaud", {"19200", "9600", "4800", "2400", "1200"}, 16, 123, 105);
    airRateCaption->setVisible(false);
    airRateCombo->setVisible(false);
    airRateCombo->setEnabled(false);
    serialModeCaption
        = place(captionPanel(parameterGroup, "ParaSerialBaud", "串口模式"), 13, 157, 108, 22);
    radioSpeedCombo = combo("ComboRadioSerBaud", speedItems(), 13, 189, 108);
    radioParityCombo = combo("ComboRadioParity", {"无检验", "奇检验", "偶检验"}, 13, 221, 108);
}

void MainWindow::buildTransferGroup(QWidget* client)
{
    transferGroup = named(place(new QGroupBox("数据传输", client), 144, 40, 561, 417), "GroupBox2");
    transferGroup->setAutoFillBackground(true);
    QPalette palette = transferGroup->palette();
    palette.setColor(QPalette::Window, kLightGreen);
    transferGroup->setPalette(palette);
    transferGroup->setFont(windows::pixelFont("MS Sans Serif", 12));
    const QFont songti = windows::pixelFont("宋体", 13);

    // The boxes and buttons of the left column are as wide as the column leaves room for, so
    // that "十六进制显示", "Hex Display" and "Counter Reset" are shown whole.
    auto check = [&](const char* name, const QString& caption, int x, int y, int w = 108) {
        auto* box = named(place(new QCheckBox(caption, transferGroup), x, y, w, 17), name);
        box->setFont(songti);
        return box;
    };
    auto button = [&](const char* name, const QString& caption, int x, int y) {
        auto* b = named(place(new QPushButton(caption, transferGroup), x, y, 104, 25), name);
        b->setFont(songti);
        return b;
    };
    auto label = [&](const char* name, const QString& caption, int x, int y, int w) {
        auto* l = named(place(new QLabel(caption, transferGroup), x, y, w, 16), name);
        l->setFont(songti);
        return l;
    };
    auto memo = [&]<typename Area>(Area* area, const char* name, int x, int y, int w, int h) {
        auto* m = named(place(area, x, y, w, h), name);
        m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        // An opaque scroll bar: moving it repaints the bar alone, not the group box under it.
        m->verticalScrollBar()->setAutoFillBackground(true);
        return m;
    };

    receiveCaption = place(captionPanel(transferGroup, "Panel8", "接收区"), 16, 24, 73, 25);
    receiveCaption->setFont(songti);
    hexDisplayCheck = check("Check_RecHex", "十六进制显示", 16, 64);
    autoClearCheck = check("Check_AutoClr", "自动清空", 16, 88);
    autoClearCheck->setChecked(true);
    stopDisplayButton = button("Button1", "停止显示", 16, 120);
    clearReceiveButton = button("Button_ClrRecMemo", "清空接收区", 16, 152);
    resetCountersButton = button("Button3", "复位计数器", 16, 216);
    receiveText = memo(new windows::TextArea(transferGroup), "Memo_Rec", 128, 20, 425, 229);

    sendCaption = place(captionPanel(transferGroup, "Panel9", "发送区"), 16, 275, 81, 25);
    sendCaption->setFont(songti);
    sendButton = button("Button_ManulTrtt", "手动发送", 16, 319);
    clearSendButton = button("Button_ClrTrttMemo", "清空发送区", 16, 351);
    sendText = memo(new QPlainTextEdit(transferGroup), "Memo_Trtt", 128, 272, 425, 97);

    autoSendCheck = check("Check_AutoTrtt", "自动发送", 23, 390, 97);
    autoSendPeriodLabel = label("Label9", "自动发送周期", 120, 391, 80);
    autoSendPeriodEdit
        = named(place(new QLineEdit("1000", transferGroup), 200, 388, 41, 21), "Edit_TrttPerio");
    millisecondsLabel = label("Label10", "毫秒", 248, 391, 40);
    hexSendCheck = check("Check_TrttHex", "十六进制发送", 327, 389);
    buildTextMenus();
}

void MainWindow::buildTextMenus()
{
    textEncodingGroup = named(new QActionGroup(this), "TextEncodingGroup");
    utf8Action = named(textEncodingGroup->addAction("文本编码：UTF-8"), "TextUtf8");
    gb18030Action = named(textEncodingGroup->addAction("文本编码：GB18030 (GBK)"), "TextGb18030");
    for (QAction* choice : textEncodingGroup->actions())
        choice->setCheckable(true);
    utf8Action->setChecked(true);
    showTimeAction = named(new QAction("显示时间", this), "ShowTime");
    logToFileAction = named(new QAction("记录到文件...", this), "LogToFile");
    for (QAction* choice : {showTimeAction, logToFileAction})
        choice->setCheckable(true);
    saveReceivedAction
        = named(new QAction(saveRecDataText("保存接收数据...", "最近"), this), "SaveRecData");
    for (QPlainTextEdit* area : std::initializer_list<QPlainTextEdit*> {receiveText, sendText}) {
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, this, [this, area](const QPoint& at) {
            contextMenu(area)->exec(area->viewport()->mapToGlobal(at));
        });
    }
}

std::unique_ptr<QMenu> MainWindow::contextMenu(QPlainTextEdit* area)
{
    std::unique_ptr<QMenu> menu(area->createStandardContextMenu());
    menu->addSeparator();
    menu->addActions(textEncodingGroup->actions());
    if (area == receiveText) {
        menu->addSeparator();
        menu->addActions({showTimeAction, logToFileAction, saveReceivedAction});
    }
    return menu;
}

void MainWindow::buildStatusBar(QWidget* client)
{
    statusStrip = named(place(new QFrame(client), 0, 459, 617, 26), "StatusBar1");
    static constexpr int kWidths[6] = {0, 100, 100, 100, 150, 150};
    const char* texts[6] = {"", "COMX", "XXXX-X-1", "断开的", "TX :0", "RX:0"};
    int x = 0;
    for (int i = 0; i < 6; ++i) {
        auto* panel = place(new QLabel(texts[i], statusStrip), x, 2, kWidths[i], 24);
        panel->setObjectName(QString("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(i == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        if (i == 1)
            panel->setLayoutDirection(Qt::RightToLeft);
        panel->setVisible(kWidths[i] > 0);
        panel->setAutoFillBackground(true); // a new count repaints the panel alone
        statusPanels[static_cast<std::size_t>(i)] = panel;
        x += kWidths[i];
    }
    gestureCompletePanel
        = named(place(new windows::ClickPanel(QString(), client), 616, 461, 45, 24), "Panel10");
    gestureArmPanel
        = named(place(new windows::ClickPanel(QString(), client), 664, 461, 40, 24), "Panel11");
    for (auto* blank : {gestureCompletePanel, gestureArmPanel})
        blank->setFrameShadow(QFrame::Sunken);
}

void MainWindow::buildTestStrip(QWidget* client)
{
    errorRateStrip = named(place(new QFrame(client), 0, 487, 705, 41), "Panel2");
    errorRateStrip->setFrameStyle(QFrame::Panel | QFrame::Raised);
    errorTestButton = named(
        place(new windows::ClickPanel("ERR TEST", errorRateStrip), 8, 8, 80, 25), "PanelTrttTest");
    recordCheck
        = named(place(new QCheckBox("RECORD", errorRateStrip), 96, 12, 76, 17), "CheckTrtt");
    auto counter = [this](QLabel*& label, const char* labelName, const QString& caption,
                       QLineEdit*& edit, const char* editName, int x) {
        label = place(captionPanel(errorRateStrip, labelName, caption), x, 8, 62, 25);
        edit = named(place(new QLineEdit(errorRateStrip), x + 64, 10, 62, 21), editName);
    };
    counter(sentCountCaption, "Panel3", "TX CNT", sentCountEdit, "Edit1", 178);
    counter(receivedCountCaption, "Panel4", "RX CNT", receivedCountEdit, "Edit2", 310);
    counter(errorCountCaption, "Panel7", "REC ERR", errorCountEdit, "Edit4", 442);
    counter(successCaption, "Panel5", "SUCESS", successEdit, "Edit3", 574);
    percentLabel = named(place(new QLabel("%", errorRateStrip), 692, 12, 10, 17), "Panel6");
    percentLabel->setVisible(false);
    errorRateStrip->setVisible(false);
}

void MainWindow::buildTimers()
{
    auto timer = [this](const char* name, int interval) {
        auto* t = named(new QTimer(this), name);
        t->setInterval(interval);
        t->setTimerType(Qt::PreciseTimer);
        return t;
    };
    requestTimer = timer("Timer_SdCmd", 10);
    answerTimer = timer("Timer_RecCmd", 10);
    autoSendTimer = timer("Timer_TrttData", 10);
    receivePollTimer = timer("Timer_RecData", 50);
    gestureTimer = timer("Timer1", 100);
    gestureTimer->start();
    reopenTimer = timer("Timer_Reopen", 1000);
}

void MainWindow::fitToContents()
{
    QRect bounds;
    for (QWidget* child : m_client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden())
            bounds = bounds.united(child->geometry());
    }
    m_client->setFixedSize(bounds.right() + 1, bounds.bottom() + 1);
    if (layout())
        layout()->activate();
    setFixedSize(sizeHint());
    // Grown by the test strip, the window may no longer fit below its place.
    if (isVisible())
        platform::placeOnScreen(*this, pos());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Closing the main window ends the program; when the exit returns (under test), the window
    // stays as it is.
    event->ignore();
    if (onClose)
        onClose();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == modelVersionEdit && event->type() == QEvent::KeyPress)
        return true;
    return QMainWindow::eventFilter(watched, event);
}
