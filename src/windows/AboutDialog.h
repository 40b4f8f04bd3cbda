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

    QLabel* titleLabel;
    QLabel* productName;
    QLabel* versionLabel;
    QLabel* picture;
    QLabel* bottomLine;
    QPushButton* okButton;
};
