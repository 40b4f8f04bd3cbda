#include "RegisterWindow.h"

#include "windows/Controls.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

using windows::place;

RegisterWindow::RegisterWindow(QWidget* parent) : QDialog(parent)
{
    pollTimer.setObjectName("Timer_TestPoll");
    pollTimer.setInterval(10);
    pollTimer.setTimerType(Qt::PreciseTimer);
    setObjectName("FormTest");
    setWindowTitle("测试");
    setFixedSize(420, 300);
    auto button = [](QWidget* parent, const char* name, const QString& caption, int x, int y) {
        auto* b = place(new QPushButton(caption, parent), x, y, 80, 25);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    auto field = [](QWidget* parent, const char* name, const QString& text, int x, int y, int w) {
        auto* e = place(new QLineEdit(text, parent), x, y, w, 22);
        e->setObjectName(name);
        return e;
    };

    transmitTestGroup = place(new QGroupBox("发射测试", this), 8, 8, 404, 56);
    transmitTestGroup->setObjectName("GroupBox3");
    startTransmitButton = button(transmitTestGroup, "Button1", "开始测试", 16, 22);
    transmitFrequencyButton = button(transmitTestGroup, "Button6", "发射频率", 162, 22);
    stopTransmitButton = button(transmitTestGroup, "Button5", "结束测试", 308, 22);

    registerGroup = place(new QGroupBox("寄存器操作", this), 8, 72, 404, 56);
    registerGroup->setObjectName("GroupBox1");
    readOneButton = button(registerGroup, "Button3", "ReadOne", 16, 22);
    readAddressEdit = field(registerGroup, "Edit2", "00", 100, 23, 40);
    writeOneButton = button(registerGroup, "Button4", "WriteOne", 200, 22);
    writeAddressEdit = field(registerGroup, "Edit3", "00", 284, 23, 40);
    writeValueEdit = field(registerGroup, "Edit4", "00", 332, 23, 40);

    answerEdit = field(this, "EditDis", QString(), 8, 136, 404);
    answerEdit->setReadOnly(true);

    readAllGroup = place(new QGroupBox("读所有寄存器", this), 8, 166, 404, 126);
    readAllGroup->setObjectName("GroupBox2");
    readAllButton = button(readAllGroup, "Button2", "ReadAll", 16, 22);
    dumpText = place(new QPlainTextEdit("Memo1", readAllGroup), 104, 20, 290, 96);
    dumpText->setObjectName("Memo1");
}

std::string RegisterWindow::readAddress() const
{
    return readAddressEdit->text().toStdString();
}

std::string RegisterWindow::writeAddress() const
{
    return writeAddressEdit->text().toStdString();
}

std::string RegisterWindow::writeValue() const
{
    return writeValueEdit->text().toStdString();
}

void RegisterWindow::showAnswer(const std::string& text, registers::AnswerColor color)
{
    answerEdit->setText(QString::fromStdString(text));
    const QPalette standard = style()->standardPalette();
    QPalette palette = answerEdit->palette();
    palette.setColor(QPalette::Text,
        color == registers::AnswerColor::Red        ? QColor(255, 0, 0)
            : color == registers::AnswerColor::Link ? standard.color(QPalette::Link)
                                                    : standard.color(QPalette::Text));
    answerEdit->setPalette(palette);
}

void RegisterWindow::showDump(const std::string& text)
{
    dumpText->setPlainText(QString::fromStdString(text));
}
