#include "target/VantarArm.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The built libVantarARM.so, loaded as the recorder loads it.
class VantarArmLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() { handle_ = dlopen(KAVRIN_PROBE_LIBRARY, RTLD_NOW | RTLD_LOCAL); }

    template <class F> F bind(const char* name) {
        return reinterpret_cast<F>(dlsym(handle_, name));
    }

    static void* handle_;
};

void* VantarArmLibrary::handle_ = nullptr;

} // namespace

TEST_F(VantarArmLibrary, ExportsEveryProbeFunction) {
    ASSERT_NE(handle_, nullptr) << dlerror();
    const char* names[] = {"VANTARARM_OpenEx",
                           "VANTARARM_Close",
                           "VANTARARM_ExecCommand",
                           "VANTARARM_SelectIP",
                           "VANTARARM_EMU_SelectByUSBSN",
                           "VANTARARM_TIF_Select",
                           "VANTARARM_SetSpeed",
                           "VANTARARM_Connect",
                           "VANTARARM_EMU_GetNumConnections",
                           "VANTARARM_IsHalted",
                           "VANTARARM_Go",
                           "VANTARARM_Halt",
                           "VANTARARM_ReadMemEx",
                           "VANTARARM_ReadMem",
                           "VANTARARM_DEVICE_GetIndex",
                           "VANTARARM_DEVICE_GetInfo",
                           "VANTAR_ZTXTERMINAL_Control",
                           "VANTAR_ZTXTERMINAL_Read",
                           "VANTAR_ZTXTERMINAL_Write",
                           "VANTAR_GetpFunc"};
    for (const char* name : names)
        EXPECT_NE(dlsym(handle_, name), nullptr) << name;
    // Nothing of the implementation leaks out.
    EXPECT_EQ(dlsym(handle_, "_ZN6kavrin11RingChannel7consumeEPhj"), nullptr);
}

TEST_F(VantarArmLibrary, TakesItsScenarioFromTheEnvironmentAtEveryOpen) {
    ASSERT_NE(handle_, nullptr) << dlerror();
    const auto open = bind<decltype(&VANTARARM_OpenEx)>("VANTARARM_OpenEx");
    const auto close = bind<decltype(&VANTARARM_Close)>("VANTARARM_Close");
    const auto connect = bind<decltype(&VANTARARM_Connect)>("VANTARARM_Connect");
    const auto connections =
        bind<decltype(&VANTARARM_EMU_GetNumConnections)>("VANTARARM_EMU_GetNumConnections");
    const auto getFunction = bind<decltype(&VANTAR_GetpFunc)>("VANTAR_GetpFunc");

    const std::filesystem::path ini =
        std::filesystem::temp_directory_path() / "kavrin-vantar-library-test.ini";
    std::ofstream(ini) << "[Target]\nScenario=busy\n[Faults]\nSecondConnection=1\n";
    setenv("KAVRIN_SIM_SCENARIO", ini.c_str(), 1);
    static std::string reported;
    EXPECT_EQ(open(nullptr, [](const char* text) { reported = text; }), nullptr);
    EXPECT_EQ(connect(), 0);
    EXPECT_EQ(connections(), 2);
    // The device-list function names the scenario's device too.
    const auto list = reinterpret_cast<VANTAR_DeviceListFunc>(getFunction(VANTAR_FUNC_DEVICE_LIST));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(getFunction(3), nullptr);
    char names[512];
    ASSERT_EQ(list(0, names, sizeof names), 5); // the busy scenario's device is one of them
    close();

    std::ofstream(ini, std::ios::trunc) << "[Faults]\nOpenFails=1\n";
    const char* failure = open(nullptr, [](const char* text) { reported = text; });
    ASSERT_NE(failure, nullptr);
    EXPECT_EQ(reported, failure);

    std::ofstream(ini, std::ios::trunc) << "[Target]\nEventRate=lots\n";
    failure = open(nullptr, nullptr);
    ASSERT_NE(failure, nullptr);
    EXPECT_NE(std::string(failure).find("EventRate"), std::string::npos);

    unsetenv("KAVRIN_SIM_SCENARIO");
    EXPECT_EQ(open(nullptr, nullptr), nullptr); // the defaults
    EXPECT_EQ(connections(), 1);
    close();
    std::filesystem::remove(ini);
}
