#include "ProgramFixture.h"

#include "platform/QtDialogs.h"
#include "platform/WindowFrame.h"
#include "windows/AboutDialog.h"
#include "windows/PortDialog.h"
#include "windows/ProgressWindow.h"
#include "windows/RegisterWindow.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace {

// What a message box showed, read while it was open.
struct SeenBox
{
    QString caption;
    QString text;
    int width = 0;
    QStringList buttons;
};

// Runs show(), which opens a modal message box; reads the box and presses the given button.
SeenBox answerBox(const std::function<void()>& show, QMessageBox::StandardButton press)
{
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.width = box->width();
        for (QAbstractButton* button : box->buttons())
            seen.buttons << button->text();
        box->button(press)->click();
    });
    show();
    return seen;
}

class StandardButtons : public ProgramTest, public ::testing::WithParamInterface<bool>
{ };

} // namespace

TEST_P(StandardButtons, areQtsChineseOnesOnlyWhenChineseIsChosen)
{
    const bool english = GetParam();
    chooseLanguage(english);
    QMessageBox box(QMessageBox::NoIcon, "读参数", "参数读取失败",
        QMessageBox::Ok | QMessageBox::Retry | QMessageBox::Cancel);
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), english ? "OK" : "确定");
    EXPECT_EQ(box.button(QMessageBox::Retry)->text(), english ? "Retry" : "重试");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), english ? "Cancel" : "取消");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), english ? "OK" : "确定");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), english ? "Cancel" : "取消");
    // The program's own buttons keep their texts.
    EXPECT_EQ(program.languageWindow->okButton->text(), "OK");
    EXPECT_EQ(program.languageWindow->chineseRadio->text(), "中 文");
    EXPECT_EQ(program.portDialog->cancelButton->text(), english ? "Cancel" : "取消");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, StandardButtons, ::testing::Bool(),
    [](const auto& info) { return info.param ? "English" : "Chinese"; });

TEST_F(ProgramTest, messageBoxesAreAtLeastAsWideAsTheirCaptionsWithTheirOwnTextsAndButtons)
{
    chooseLanguage(false);
    platform::QtDialogs real("TRANSCEIVER DEMO SOFTWARE");
    struct Row
    {
        const char* caption;
        const char* text;
        platform::MessageButtons buttons;
        QMessageBox::StandardButton press;
        platform::MessageResult result;
        QStringList shown;
    };
    const Row rows[] = {
        {"读参数", "参数读取失败", platform::MessageButtons::RetryCancel, QMessageBox::Retry,
            platform::MessageResult::Retry, {"重试", "取消"}},
        {"写参数", "参数设置失败", platform::MessageButtons::RetryCancel, QMessageBox::Cancel,
            platform::MessageResult::Cancel, {"重试", "取消"}},
        {"参数", "检测电台失败", platform::MessageButtons::Ok, QMessageBox::Ok,
            platform::MessageResult::Ok, {"确定"}},
        {"CommError", "打开通讯端口错误!", platform::MessageButtons::Ok, QMessageBox::Ok,
            platform::MessageResult::Ok, {"确定"}},
        {"Set_Error", "通讯端口设置错误!", platform::MessageButtons::Ok, QMessageBox::Ok,
            platform::MessageResult::Ok, {"确定"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        platform::MessageResult result {};
        const SeenBox seen = answerBox(
            [&] { result = real.messageBox(row.text, row.caption, row.buttons); }, row.press);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(seen.caption, row.caption);
        EXPECT_EQ(seen.text, row.text);
        EXPECT_EQ(seen.buttons, row.shown);
        EXPECT_GE(seen.width, platform::captionWidth(row.caption));
    }
    const SeenBox plain = answerBox([&] { real.showMessage("Read error!"); }, QMessageBox::Ok);
    EXPECT_EQ(plain.caption, "TRANSCEIVER DEMO SOFTWARE");
    EXPECT_EQ(plain.text, "Read error!");
    EXPECT_GE(plain.width, platform::captionWidth("TRANSCEIVER DEMO SOFTWARE"));
    const SeenBox error = answerBox([&] { real.showError("overflow"); }, QMessageBox::Ok);
    EXPECT_EQ(error.caption, "TRANSCEIVER DEMO SOFTWARE");
    EXPECT_GE(error.width, platform::captionWidth("TRANSCEIVER DEMO SOFTWARE"));
}

TEST(CaptionWidth, growsWithTheCaptionAndLeavesRoomForTheTitleBarButtons)
{
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    const QFontMetrics metrics(title);
    for (const QString caption : {"", "W", "WELCOM", "TRANSCEIVER DEMO SOFTWARE", "读参数"}) {
        EXPECT_GE(platform::captionWidth(caption), metrics.horizontalAdvance(caption) + 4 * 16)
            << caption.toStdString();
    }
    EXPECT_GT(platform::captionWidth("TRANSCEIVER DEMO SOFTWARE"), platform::captionWidth("T"));
}

TEST_P(StandardButtons, everyWindowIsAtLeastAsWideAsEachOfItsCaptions)
{
    chooseLanguage(GetParam());
    const std::pair<QWidget*, QString> windows[] = {
        {program.languageWindow.get(), program.languageWindow->windowTitle()},
        {program.mainWindow.get(), program.mainWindow->windowTitle()},
        {program.portDialog.get(), program.portDialog->windowTitle()},
        {program.aboutDialog.get(), program.aboutDialog->windowTitle()},
        {program.registerWindow.get(), program.registerWindow->windowTitle()},
        {program.progressWindow.get(), "Connect"},
        {program.progressWindow.get(), "连接电台"},
        {program.progressWindow.get(), "Read"},
        {program.progressWindow.get(), "读参数"},
        {program.progressWindow.get(), "Write"},
        {program.progressWindow.get(), "写参数"},
    };
    for (const auto& [window, caption] : windows)
        EXPECT_GE(window->width(), platform::captionWidth(caption)) << caption.toStdString();
}

TEST_F(ProgramTest, windowFramesAskForExactlyTheButtonsEachWindowHasAndKeepTheirSize)
{
    const Qt::WindowFlags progress = program.progressWindow->windowFlags();
    // The progress window's close box stops a probe or a read.
    EXPECT_TRUE(progress.testFlags(
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint));
    EXPECT_FALSE(progress & Qt::WindowMinMaxButtonsHint);
    for (QWidget* closeOnly :
        std::initializer_list<QWidget*> {program.languageWindow.get(), program.aboutDialog.get()}) {
        const Qt::WindowFlags flags = closeOnly->windowFlags();
        EXPECT_TRUE(flags.testFlags(
            Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint))
            << closeOnly->objectName().toStdString();
        EXPECT_FALSE(flags & Qt::WindowMinMaxButtonsHint) << closeOnly->objectName().toStdString();
    }
    for (QWidget* fixed : std::initializer_list<QWidget*> {program.languageWindow.get(),
             program.mainWindow.get(), program.portDialog.get(), program.progressWindow.get(),
             program.aboutDialog.get(), program.registerWindow.get()})
        EXPECT_EQ(fixed->minimumSize(), fixed->maximumSize()) << fixed->objectName().toStdString();
}

TEST(KeptOnScreen, movesAFrameOnlyAsFarAsItMustToStayOnTheArea)
{
    struct Row
    {
        const char* what;
        QRect frame;
        QRect available;
        QPoint expected;
    };
    const QRect desktop(0, 0, 1280, 1024);
    // 192 dpi on 1280 x 1024: Qt works on a 640 x 512 screen.
    const QRect scaled(0, 0, 640, 512);
    const Row rows[] = {
        {"fits where it is", QRect(531, 278, 182, 212), desktop, {531, 278}},
        {"touches the corner", QRect(1098, 812, 182, 212), desktop, {1098, 812}},
        {"language dialog at 192 dpi", QRect(531, 278, 182, 212), scaled, {458, 278}},
        {"past the bottom", QRect(100, 400, 200, 200), scaled, {100, 312}},
        {"wider and taller than the screen", QRect(270, 124, 713, 560), scaled, {0, 0}},
        {"left of and above the area", QRect(-50, -20, 100, 100), QRect(0, 30, 640, 482), {0, 30}},
        {"second screen", QRect(1900, 100, 300, 200), QRect(1280, 0, 800, 600), {1780, 100}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(platform::keptOnScreen(row.frame, row.available), row.expected) << row.what;
}

TEST(PlaceOnScreen, keepsTheWholeFrameOfAWindowOnTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.setFixedSize(300, 200);
    platform::placeOnScreen(window, {100, 80});
    EXPECT_EQ(window.pos(), QPoint(100, 80));
    platform::placeOnScreen(window, available.bottomRight() - QPoint(10, 10));
    window.show();
    EXPECT_TRUE(available.contains(window.frameGeometry()))
        << window.frameGeometry().x() << "," << window.frameGeometry().y();
}
