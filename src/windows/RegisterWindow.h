#pragma once

#include "platform/QtTimer.h"
#include "registers/RegisterView.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The register test dialog: transmit tests, single register reads and writes and a dump of
// all registers. Its texts are the same in both languages. It holds the register console's
// poll timer.
class RegisterWindow : public QDialog, public registers::RegisterView
{
    Q_OBJECT
public:
    explicit RegisterWindow(QWidget* parent = nullptr);

    std::string readAddress() const override;
    std::string writeAddress() const override;
    std::string writeValue() const override;
    void showAnswer(const std::string& text, registers::AnswerColor color) override;
    void showDump(const std::string& text) override;

    QTimer pollTimer; // every 10 ms while a command waits for its answer
    platform::QtTimer poll {pollTimer};

    QGroupBox* transmitTestGroup;
    QPushButton* startTransmitButton;
    QPushButton* transmitFrequencyButton;
    QPushButton* stopTransmitButton;
    QGroupBox* registerGroup;
    QPushButton* readOneButton;
    QLineEdit* readAddressEdit;
    QPushButton* writeOneButton;
    QLineEdit* writeAddressEdit;
    QLineEdit* writeValueEdit;
    QLineEdit* answerEdit;
    QGroupBox* readAllGroup;
    QPushButton* readAllButton;
    QPlainTextEdit* dumpText;
};
