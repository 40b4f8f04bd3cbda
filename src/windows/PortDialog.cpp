#include "PortDialog.h"

#include "windows/Controls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using windows::place;

namespace {

void choose(QComboBox& list, int entry)
{
    list.setCurrentIndex(entry >= 0 && entry < list.count() ? entry : -1);
}

} // namespace

PortDialog::PortDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("Serial_Form");
    setWindowTitle("串口配置");
    setFixedSize(233, 271);

    GroupBox1 = place(new QGroupBox("端口属性", this), 8, 8, 217, 177);
    GroupBox1->setObjectName("GroupBox1");
    auto row = [this](QLabel*& label, const char* labelName, const QString& caption,
                   QComboBox*& combo, const char* comboName, const QStringList& items, int y) {
        label = place(new QLabel(caption, GroupBox1), 16, y + 3, 70, 16);
        label->setObjectName(labelName);
        combo = place(windows::makeEditableCombo(GroupBox1, items), 96, y, 105, 22);
        combo->setObjectName(comboName);
    };
    row(Label2, "Label2", "端口号", Comb_ComNo, "Comb_ComNo",
        {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}, 24);
    row(Label1, "Label1", "波特率", ComboBaudRate, "ComboBaudRate",
        {"19200", "9600", "4800", "2400", "1200", "300"}, 54);
    row(Label3, "Label3", "检验位", ComboParity, "ComboParity", {"无", "奇", "偶"}, 84);
    row(Label4, "Label4", "数据位", Comb_DataBit, "Comb_DataBit", {"8"}, 114);
    row(Label5, "Label5", "停止位", Comb_StopBit, "Comb_StopBit", {"1", "2"}, 144);
    Comb_ComNo->setCurrentIndex(0);
    ComboBaudRate->setEditText("9600");
    ComboParity->setCurrentIndex(0);
    Comb_DataBit->setCurrentIndex(0);
    Comb_StopBit->setCurrentIndex(0);

    // The device path on one line, its description on the next; each elided in the middle.
    Label_Device = place(new windows::ElidedLabel(this), 8, 190, 217, 36);
    Label_Device->setObjectName("Label_Device");
    Label_Device->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Button1 = place(new QPushButton("确定", this), 32, 234, 75, 25);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = place(new QPushButton("取消", this), 126, 234, 75, 25);
    Button2->setObjectName("Button2");
    connect(Button2, &QPushButton::clicked, this, &QWidget::hide);
}

void PortDialog::applyEnglish()
{
    setWindowTitle("Port Property");
    GroupBox1->setTitle("Port Set");
    Label2->setText("Port No.");
    Label1->setText("port Rate");
    Label3->setText("Parity");
    Label4->setText("Data bits");
    Label5->setText("Stop bits");
    ComboParity->clear();
    ComboParity->addItems({"N", "O", "E"});
    ComboParity->setCurrentIndex(0);
    Button1->setText("OK");
    Button2->setText("Cancel");
}

int PortDialog::chosenPort() const
{
    return Comb_ComNo->currentIndex();
}

std::string PortDialog::portName() const
{
    return Comb_ComNo->currentText().toStdString();
}

int PortDialog::chosenSpeed() const
{
    return ComboBaudRate->currentIndex();
}

int PortDialog::chosenParity() const
{
    return ComboParity->currentIndex();
}

void PortDialog::choosePort(int port)
{
    choose(*Comb_ComNo, port);
}

void PortDialog::chooseSpeedAndParity(int speed, int parity)
{
    choose(*ComboBaudRate, speed);
    choose(*ComboParity, parity);
}

void PortDialog::showChosenDevice(const std::string& line)
{
    Label_Device->setFullText(QString::fromStdString(line));
}

void PortDialog::showPortTip(int port, const std::string& tip)
{
    Comb_ComNo->setItemData(port, QString::fromStdString(tip), Qt::ToolTipRole);
}
