#include "ManualWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

QString manualText(bool englishFirst, const QStringList& folders)
{
    const QStringList names = englishFirst ? QStringList {"manual.en.md", "manual.zh.md"}
                                           : QStringList {"manual.zh.md", "manual.en.md"};
    for (const QString& folder : folders) {
        QStringList parts;
        for (const QString& name : names) {
            QFile file(QDir(folder).filePath(name));
            if (file.open(QIODevice::ReadOnly))
                parts << QString::fromUtf8(file.readAll());
        }
        if (parts.size() == names.size())
            return parts.join("\n\n---\n\n");
    }
    return {};
}

QStringList manualFolders()
{
    return {QCoreApplication::applicationDirPath() + "/../share/radiomodem",
        QStringLiteral(RADIOMODEM_MANUAL_SOURCE_DIR)};
}

ManualWindow::ManualWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("ManualForm");
    browser = new QTextBrowser(this);
    browser->setObjectName("Browser");
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(720, 640);
}

void ManualWindow::showManual(bool english)
{
    setWindowTitle(english ? "Manual" : "使用说明");
    const QString text = manualText(english, manualFolders());
    if (text.isEmpty())
        browser->setPlainText(english ? "The manual is not installed." : "未安装使用说明。");
    else
        browser->setMarkdown(text);
    show();
    raise();
    activateWindow();
}
