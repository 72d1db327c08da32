// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/RuntimeLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zephyl {
namespace {

struct MathApi {
    double (*cosine)(double) = nullptr;
};

RuntimeLibrary<MathApi> OpenMath(const std::string& file) {
    return OpenRuntimeLibrary<MathApi>(file, [](void* library, MathApi& api, std::string& missing) {
        api.cosine = reinterpret_cast<double (*)(double)>(dlsym(library, "cos"));
        if (api.cosine == nullptr) {
            missing = "cos is missing from it";
        }
        return api.cosine != nullptr;
    });
}

const MathApi* Math(std::string* error = nullptr) {
    return RuntimeLibraryApi<MathApi>("libm.so.6", "ZEPHYL_TEST_MATH_LIBRARY", &OpenMath, error);
}

TEST(RuntimeLibraryTest, OpensOnceAndNamesWhatIsMissing) {
    const MathApi* math = Math();
    ASSERT_NE(math, nullptr);
    EXPECT_EQ(math->cosine(0.0), 1.0);
    EXPECT_EQ(Math(), math) << "opened once";

    setenv("ZEPHYL_TEST_MATH_LIBRARY", "libzephyl-no-such-library.so", 1);
    std::string error;
    EXPECT_EQ(Math(&error), nullptr);
    EXPECT_NE(error.find("libzephyl-no-such-library.so could not be loaded"), std::string::npos)
        << error;
    setenv("ZEPHYL_TEST_MATH_LIBRARY", "libc.so.6", 1);  // no cos in it
    EXPECT_EQ(Math(&error), nullptr);
    EXPECT_EQ(error, "libc.so.6 cannot be used: cos is missing from it");
    unsetenv("ZEPHYL_TEST_MATH_LIBRARY");
}

// A download or capture thread may call through a table while the program exits. An exit
// handler registered before the table's first use runs after the destructors of everything
// made at that use: the table must still be there.
TEST(RuntimeLibraryDeathTest, TablesOutliveTheProgramsDestructors) {
    EXPECT_EXIT(
        {
            std::atexit([] {
                const MathApi* math = Math();
                std::_Exit(math != nullptr && math->cosine(0.0) == 1.0 ? 0 : 3);
            });
            if (Math() == nullptr) {
                std::_Exit(4);
            }
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zephyl
