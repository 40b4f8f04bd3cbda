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

    GroupBox3 = place(new QGroupBox("发射测试", this), 8, 8, 404, 56);
    GroupBox3->setObjectName("GroupBox3");
    Button1 = button(GroupBox3, "Button1", "开始测试", 16, 22);
    Button6 = button(GroupBox3, "Button6", "发射频率", 162, 22);
    Button5 = button(GroupBox3, "Button5", "结束测试", 308, 22);

    GroupBox1 = place(new QGroupBox("寄存器操作", this), 8, 72, 404, 56);
    GroupBox1->setObjectName("GroupBox1");
    Button3 = button(GroupBox1, "Button3", "ReadOne", 16, 22);
    Edit2 = field(GroupBox1, "Edit2", "00", 100, 23, 40);
    Button4 = button(GroupBox1, "Button4", "WriteOne", 200, 22);
    Edit3 = field(GroupBox1, "Edit3", "00", 284, 23, 40);
    Edit4 = field(GroupBox1, "Edit4", "00", 332, 23, 40);

    EditDis = field(this, "EditDis", QString(), 8, 136, 404);
    EditDis->setReadOnly(true);

    GroupBox2 = place(new QGroupBox("读所有寄存器", this), 8, 166, 404, 126);
    GroupBox2->setObjectName("GroupBox2");
    Button2 = button(GroupBox2, "Button2", "ReadAll", 16, 22);
    Memo1 = place(new QPlainTextEdit("Memo1", GroupBox2), 104, 20, 290, 96);
    Memo1->setObjectName("Memo1");
}

std::string RegisterWindow::readAddress() const
{
    return Edit2->text().toStdString();
}

std::string RegisterWindow::writeAddress() const
{
    return Edit3->text().toStdString();
}

std::string RegisterWindow::writeValue() const
{
    return Edit4->text().toStdString();
}

void RegisterWindow::showAnswer(const std::string& text, regtest::AnswerColor color)
{
    EditDis->setText(QString::fromStdString(text));
    const QPalette standard = style()->standardPalette();
    QPalette palette = EditDis->palette();
    palette.setColor(QPalette::Text,
        color == regtest::AnswerColor::Red        ? QColor(255, 0, 0)
            : color == regtest::AnswerColor::Link ? standard.color(QPalette::Link)
                                                  : standard.color(QPalette::Text));
    EditDis->setPalette(palette);
}

void RegisterWindow::showDump(const std::string& text)
{
    Memo1->setPlainText(QString::fromStdString(text));
}
