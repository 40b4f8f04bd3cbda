#pragma once

#include "platform/QtTimer.h"
#include "regtest/RegisterView.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The register test dialog: transmit tests, single register reads and writes and a dump of
// all registers. Its texts are the same in both languages. It holds the register console's
// poll timer.
class RegisterWindow : public QDialog, public regtest::RegisterView
{
    Q_OBJECT
public:
    explicit RegisterWindow(QWidget* parent = nullptr);

    std::string readAddress() const override;
    std::string writeAddress() const override;
    std::string writeValue() const override;
    void showAnswer(const std::string& text, regtest::AnswerColor color) override;
    void showDump(const std::string& text) override;

    QTimer pollTimer; // every 10 ms while a command waits for its answer
    platform::QtTimer poll {pollTimer};

    QGroupBox* GroupBox3;
    QPushButton* Button1;
    QPushButton* Button6;
    QPushButton* Button5;
    QGroupBox* GroupBox1;
    QPushButton* Button3;
    QLineEdit* Edit2;
    QPushButton* Button4;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* EditDis;
    QGroupBox* GroupBox2;
    QPushButton* Button2;
    QPlainTextEdit* Memo1;
};
