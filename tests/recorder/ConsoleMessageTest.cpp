// Without a widget application (the command-line tool), probe messages go to stderr.

#include "recorder/ModalMessage.h"
#include "recorder/ProbeLibrary.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace kavrin;

TEST(ConsoleMessage, WithoutAnyApplication) {
    testing::internal::CaptureStderr();
    showModalMessage(QMessageBox::Warning, "Vantar ARM Error", "Target DLL  not found !");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Vantar ARM Error: Target DLL  not found !\n");
}

TEST(ConsoleMessage, WithACoreApplicationOnly) {
    int argc = 1;
    char name[] = "kavrin-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    testing::internal::CaptureStderr();
    // A library that is nowhere, reported the way the program reports it.
    ProbeLibrary library(
        QStringLiteral("/nonexistent/kavrin"), [] { return std::optional<QString>(QString()); },
        [](const QString& title, const QString& text) {
            showModalMessage(QMessageBox::Warning, title, text);
        });
    EXPECT_EQ(library.VANTARARM_Connect(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Vantar ARM Error: Target DLL  not found !\n");
}
