#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QTextBrowser;

// The user manual in both languages, the interface language first, read from the first
// folder that holds it; empty when none does.
QString manualText(bool englishFirst, const QStringList& folders);

// The folders the manual is looked for in: installed beside the program (share/radiomodem),
// then the source tree the program was built from.
QStringList manualFolders();

// The window that shows the manual; closing it only hides it.
class ManualWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ManualWindow(QWidget* parent = nullptr);
    void showManual(bool english);

    QTextBrowser* browser;
};
