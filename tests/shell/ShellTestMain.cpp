#include "ShellTestMain.h"
#include "FakeDialogs.h"
#include "shell/Application.h"

#include <gtest/gtest.h>

fakes::FakeDialogs& applicationDialogs()
{
    static fakes::FakeDialogs dialogs;
    return dialogs;
}

// Window tests run on the offscreen platform with a 1280 x 1024 screen unless another platform is
// asked for.
int main(int argc, char** argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", SHELL_TEST_PLATFORM);
    RadioModemApplication app(argc, argv, applicationDialogs());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
