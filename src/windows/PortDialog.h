#pragma once

#include "serial/PortView.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
namespace windows {
class ElidedLabel;
}

// The port settings dialog: port, speed and parity to open the link with.
class PortDialog : public QDialog, public serial::PortView
{
    Q_OBJECT
public:
    explicit PortDialog(QWidget* parent = nullptr);

    // Writes the English captions and parity entries over the built Chinese ones.
    void applyEnglish();

    int chosenPort() const override;
    std::string portName() const override;
    int chosenSpeed() const override;
    int chosenParity() const override;
    void choosePort(int port) override;
    void chooseSpeedAndParity(int speed, int parity) override;
    void showChosenDevice(const std::string& line) override;
    void showPortTip(int port, const std::string& tip) override;
    void closeDialog() override { hide(); }

    QGroupBox* GroupBox1;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QComboBox* Comb_ComNo;
    QComboBox* ComboBaudRate;
    QComboBox* ComboParity;
    QComboBox* Comb_DataBit;
    QComboBox* Comb_StopBit;
    windows::ElidedLabel* Label_Device; // the device of the port selected in Comb_ComNo
    QPushButton* Button1;
    QPushButton* Button2;
};
