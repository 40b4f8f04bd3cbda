#include "QtDialogs.h"

#include "WindowFrame.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

QString toQt(const std::string& text)
{
    return QString::fromStdString(text);
}

// A command (a line indented by four spaces) or a path (a word with a '/') that wraps can
// neither be read nor copied whole: they are kept on one line each, and the box grows to fit
// the longest of them.
QStringList unbrokenPieces(const QString& text)
{
    QStringList pieces;
    for (const QString& line : text.split('\n')) {
        if (line.startsWith(QStringLiteral("    "))) {
            pieces << line;
            continue;
        }
        for (const QString& word : line.split(' ')) {
            if (word.contains('/'))
                pieces << word;
        }
    }
    return pieces;
}

QString keptWhole(const QString& text)
{
    QStringList lines;
    for (const QString& line : text.split('\n')) {
        if (line.startsWith(QStringLiteral("    "))) {
            lines << "<span style=\"white-space:pre\">" + line.toHtmlEscaped() + "</span>";
            continue;
        }
        QStringList words;
        for (const QString& word : line.split(' ')) {
            words << (word.contains('/')
                    ? "<span style=\"white-space:nowrap\">" + word.toHtmlEscaped() + "</span>"
                    : word.toHtmlEscaped());
        }
        lines << words.join(' ');
    }
    return "<div style=\"white-space:pre-wrap\">" + lines.join('\n') + "</div>";
}

int run(QMessageBox& box)
{
    const QString text = box.text();
    const QStringList pieces = unbrokenPieces(text);
    if (!pieces.isEmpty()) {
        box.setTextFormat(Qt::RichText);
        box.setText(keptWhole(text));
        int widest = 0;
        for (const QString& piece : pieces)
            widest = std::max(widest, box.fontMetrics().horizontalAdvance(piece));
        widenTo(box, widest);
    }
    widenToCaption(box);
    return box.exec();
}

std::optional<std::string> fileName(
    const std::string& caption, QFileDialog::Options options, const std::string& suggested = {})
{
    const QString name = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), toQt(caption), toQt(suggested), QString(), nullptr, options);
    if (name.isEmpty())
        return std::nullopt;
    return QFile::encodeName(name).toStdString();
}

} // namespace

QtDialogs::QtDialogs(std::string applicationTitle) : m_applicationTitle(std::move(applicationTitle))
{ }

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, toQt(m_applicationTitle), toQt(text), QMessageBox::Ok);
    run(box);
}

MessageResult QtDialogs::messageBox(
    const std::string& text, const std::string& caption, MessageButtons buttons)
{
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == MessageButtons::RetryCancel)
        standard = QMessageBox::Retry | QMessageBox::Cancel;
    else if (buttons == MessageButtons::OkCancel)
        standard = QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::NoIcon, toQt(caption), toQt(text), standard);
    switch (run(box)) {
    case QMessageBox::Retry:
        return MessageResult::Retry;
    case QMessageBox::Cancel:
        return MessageResult::Cancel;
    case QMessageBox::Ok:
        return MessageResult::Ok;
    default:
        // Closed without a button: the box's Cancel where it has one.
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Cancel;
    }
}

void QtDialogs::showError(const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, toQt(m_applicationTitle), toQt(text), QMessageBox::Ok);
    run(box);
}

std::optional<std::string> QtDialogs::saveFileName(
    const std::string& caption, const std::string& suggestedName)
{
    // The dialog asks itself before it replaces an existing file.
    return fileName(caption, {}, suggestedName);
}

std::optional<std::string> QtDialogs::appendFileName(const std::string& caption)
{
    return fileName(caption, QFileDialog::DontConfirmOverwrite);
}

std::optional<std::string> QtDialogs::openFileName(const std::string& caption)
{
    const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), toQt(caption));
    if (name.isEmpty())
        return std::nullopt;
    return QFile::encodeName(name).toStdString();
}

} // namespace platform
