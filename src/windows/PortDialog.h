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

    QGroupBox* settingsGroup;
    QLabel* portLabel;
    QLabel* speedLabel;
    QLabel* parityLabel;
    QLabel* dataBitsLabel;
    QLabel* stopBitsLabel;
    QComboBox* portCombo;
    QComboBox* speedCombo;
    QComboBox* parityCombo;
    QComboBox* dataBitsCombo;
    QComboBox* stopBitsCombo;
    windows::ElidedLabel* deviceLabel; // the device of the port selected in portCombo
    QPushButton* okButton;
    QPushButton* cancelButton;
};
