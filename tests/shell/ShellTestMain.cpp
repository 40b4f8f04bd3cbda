#include "ShellTestMain.h"
#include "FakeDialogs.h"
#include "shell/Application.h"

#include <gtest/gtest.h>

fakes::FakeDialogs& applicationDialogs()
{
    static fakes::FakeDialogs dialogs;
    return dialogs;
}

// Window tests run on the offscreen platform unless another one is asked for.
int main(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    RadioModemApplication app(argc, argv, applicationDialogs());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
