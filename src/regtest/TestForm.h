#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The register test dialog: transmit tests, single register reads and writes and a dump of
// all registers. Its texts are the same in both languages.
class TFormTest : public QDialog
{
    Q_OBJECT
public:
    explicit TFormTest(QWidget* parent = nullptr);

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
