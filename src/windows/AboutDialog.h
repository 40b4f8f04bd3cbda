#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: product name, version and picture. OK and the close box only hide it.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* ProgramIcon;
    QLabel* BottomLine;
    QPushButton* OKButton;
};
