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

    settingsGroup = place(new QGroupBox("端口属性", this), 8, 8, 217, 177);
    settingsGroup->setObjectName("GroupBox1");
    auto row = [this](QLabel*& label, const char* labelName, const QString& caption,
                   QComboBox*& combo, const char* comboName, const QStringList& items, int y) {
        label = place(new QLabel(caption, settingsGroup), 16, y + 3, 70, 16);
        label->setObjectName(labelName);
        combo = place(windows::makeEditableCombo(settingsGroup, items), 96, y, 105, 22);
        combo->setObjectName(comboName);
    };
    row(portLabel, "Label2", "端口号", portCombo, "Comb_ComNo",
        {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}, 24);
    row(speedLabel, "Label1", "波特率", speedCombo, "ComboBaudRate",
        {"19200", "9600", "4800", "2400", "1200", "300"}, 54);
    row(parityLabel, "Label3", "检验位", parityCombo, "ComboParity", {"无", "奇", "偶"}, 84);
    row(dataBitsLabel, "Label4", "数据位", dataBitsCombo, "Comb_DataBit", {"8"}, 114);
    row(stopBitsLabel, "Label5", "停止位", stopBitsCombo, "Comb_StopBit", {"1", "2"}, 144);
    portCombo->setCurrentIndex(0);
    speedCombo->setEditText("9600");
    parityCombo->setCurrentIndex(0);
    dataBitsCombo->setCurrentIndex(0);
    stopBitsCombo->setCurrentIndex(0);

    // The device path on one line, its description on the next; each elided in the middle.
    deviceLabel = place(new windows::ElidedLabel(this), 8, 190, 217, 36);
    deviceLabel->setObjectName("Label_Device");
    deviceLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    okButton = place(new QPushButton("确定", this), 32, 234, 75, 25);
    okButton->setObjectName("Button1");
    okButton->setDefault(true);
    cancelButton = place(new QPushButton("取消", this), 126, 234, 75, 25);
    cancelButton->setObjectName("Button2");
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::hide);
}

void PortDialog::applyEnglish()
{
    setWindowTitle("Port Property");
    settingsGroup->setTitle("Port Set");
    portLabel->setText("Port No.");
    speedLabel->setText("port Rate");
    parityLabel->setText("Parity");
    dataBitsLabel->setText("Data bits");
    stopBitsLabel->setText("Stop bits");
    parityCombo->clear();
    parityCombo->addItems({"N", "O", "E"});
    parityCombo->setCurrentIndex(0);
    okButton->setText("OK");
    cancelButton->setText("Cancel");
}

int PortDialog::chosenPort() const
{
    return portCombo->currentIndex();
}

std::string PortDialog::portName() const
{
    return portCombo->currentText().toStdString();
}

int PortDialog::chosenSpeed() const
{
    return speedCombo->currentIndex();
}

int PortDialog::chosenParity() const
{
    return parityCombo->currentIndex();
}

void PortDialog::choosePort(int port)
{
    choose(*portCombo, port);
}

void PortDialog::chooseSpeedAndParity(int speed, int parity)
{
    choose(*speedCombo, speed);
    choose(*parityCombo, parity);
}

void PortDialog::showChosenDevice(const std::string& line)
{
    deviceLabel->setFullText(QString::fromStdString(line));
}

void PortDialog::showPortTip(int port, const std::string& tip)
{
    portCombo->setItemData(port, QString::fromStdString(tip), Qt::ToolTipRole);
}
