#include "ProgramFixture.h"

#include "windows/AboutDialog.h"
#include "windows/PortDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {

struct TextRow
{
    const char* object;
    const char* english;
    const char* chinese;
};

// Every caption the language step writes in the main window, as built (Chinese) and after
// English was chosen.
const TextRow kMainWindow[] = {
    {"Form1", "TRANSCEIVER DEMO SOFTWARE", "数传电台演示软件"},
    {"FIle_M", "File(&F)", "文件(&F)"},
    {"FileRead", "Read Paras(&R)", "读电台(&R)"},
    {"FileWrite", "Write Paras(&W)", "写电台(&W)"},
    {"FileSaveSettings", "Save settings to file...", "保存参数到文件..."},
    {"FileLoadSettings", "Load settings from file...", "从文件载入参数..."},
    {"FileExit", "Exit(&X)", "退出(&X)"},
    {"Seri_M", "Edit(&E)", "电台(&E)"},
    {"Seri_C_M", "Close Port(&C)", "关闭串口(&C)"},
    {"Seri_O_M", "Open Port(&O)", "打开串口(&O)"},
    {"Seri_V_M", "Verify after write(&V)", "写后回读校验(&V)"},
    {"Help_M", "Help(&H)", "帮助(&H)"},
    {"Help_U_M", "Manual(&M)", "使用说明(&M)"},
    {"Help_A_M", "About(&A)", "关于(&A)"},
    {"Test_M", "Test", "测试"},
    {"GroupBox3", "Model", "电台型号"},
    {"GroupBox1", "Para Set", "电台参数"},
    {"GroupBox2", "Comunication", "数据传输"},
    {"ParaModel", "Model", "电台型号"},
    {"ParaID", "SN", "电台ID码"},
    {"ParaChnn", "Chno No.", "信道号"},
    {"ParaAriBaud", "Air Rate", "空中速率"},
    {"ParaSerialBaud", "Uart Rate", "串口模式"},
    {"Panel8", "Receive", "接收区"},
    {"Panel9", "Transmitt", "发送区"},
    {"Check_RecHex", "Hex Display", "十六进制显示"},
    {"Check_TrttHex", "Hex Send", "十六进制发送"},
    {"Check_AutoClr", "Auto Cls", "自动清空"},
    {"Check_AutoTrtt", "Auto Send", "自动发送"},
    {"Button_ClrRecMemo", "Cls RX Datas", "清空接收区"},
    {"Button_ManulTrtt", "Manual Send", "手动发送"},
    {"Button1", "Stop Display", "停止显示"},
    {"Button3", "Counter Reset", "复位计数器"},
    {"Button_ClrTrttMemo", "Cls TX datas", "清空发送区"},
    {"Label9", "TX Timeout", "自动发送周期"},
    {"Label10", "MSEL", "毫秒"},
    {"Speed_R", "Read Para", "读参数"},
    {"Speed_W", "Write Para", "写参数"},
    {"Speed_O", "Open Port", "打开串口"},
    {"Speed_C", "Close Port", "关闭串口"},
    {"Speed_E", "Exit", "退出"},
    {"StatusPanel3", "Disconnect...", "断开的"},
    {"BitBtn1", "About", "About"},
    {"PanelTrttTest", "ERR TEST", "ERR TEST"},
    {"CheckTrtt", "RECORD", "RECORD"},
    {"Panel5", "SUCESS", "SUCESS"},
};

const TextRow kPortDialog[] = {
    {"Serial_Form", "Port Property", "串口配置"},
    {"GroupBox1", "Port Set", "端口属性"},
    {"Label2", "Port No.", "端口号"},
    {"Label1", "port Rate", "波特率"},
    {"Label3", "Parity", "检验位"},
    {"Label4", "Data bits", "数据位"},
    {"Label5", "Stop bits", "停止位"},
    {"Button1", "OK", "确定"},
    {"Button2", "Cancel", "取消"},
};

// The text a user reads on a control: caption, title, hint for toolbar buttons.
QString shownText(QObject* root, const char* name)
{
    if (root->objectName() == name)
        return static_cast<QWidget*>(root)->windowTitle();
    QObject* object = root->findChild<QObject*>(name);
    if (!object)
        return "<missing>";
    if (auto* button = qobject_cast<QToolButton*>(object))
        return button->toolTip();
    if (auto* menu = qobject_cast<QMenu*>(object))
        return menu->title();
    if (auto* action = qobject_cast<QAction*>(object))
        return action->text();
    if (auto* group = qobject_cast<QGroupBox*>(object))
        return group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(object))
        return label->text();
    if (auto* panel = object->findChild<QLabel*>())
        return panel->text();
    return "<no text>";
}

QStringList items(const QComboBox* box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

class LanguageTest : public ProgramTest, public ::testing::WithParamInterface<bool>
{ };

} // namespace

TEST_P(LanguageTest, everyTextOfTheChosenLanguage)
{
    const bool english = GetParam();
    chooseLanguage(english);
    EXPECT_EQ(program.language.value, english ? 1 : 0);
    EXPECT_TRUE(program.mainWindow->isVisible());
    EXPECT_FALSE(program.languageWindow->isVisible());
    for (const TextRow& row : kMainWindow)
        EXPECT_EQ(shownText(program.mainWindow.get(), row.object).toStdString(),
            english ? row.english : row.chinese)
            << row.object;
    for (const TextRow& row : kPortDialog)
        EXPECT_EQ(shownText(program.portDialog.get(), row.object).toStdString(),
            english ? row.english : row.chinese)
            << row.object;

    const QStringList radioParity
        = english ? QStringList {"N", "O", "E"} : QStringList {"无检验", "奇检验", "偶检验"};
    EXPECT_EQ(items(program.mainWindow->radioParityCombo), radioParity);
    EXPECT_EQ(program.mainWindow->radioParityCombo->currentIndex(), -1);
    const QStringList portParity
        = english ? QStringList {"N", "O", "E"} : QStringList {"无", "奇", "偶"};
    EXPECT_EQ(items(program.portDialog->parityCombo), portParity);
    EXPECT_EQ(program.portDialog->parityCombo->currentIndex(), 0);

    EXPECT_EQ(program.aboutDialog->windowTitle(), "About");
    EXPECT_EQ(program.aboutDialog->titleLabel->text(), " ");
    EXPECT_EQ(program.aboutDialog->bottomLine->text(), " ");
    // Texts no language touches.
    EXPECT_EQ(program.mainWindow->statusPanels[1]->text(), "COMX");
    EXPECT_EQ(program.mainWindow->statusPanels[4]->text(), "TX :0");
    EXPECT_EQ(program.mainWindow->channelCombo->itemText(0), "NO.1");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LanguageTest, ::testing::Bool(),
    [](const auto& info) { return info.param ? "English" : "Chinese"; });
