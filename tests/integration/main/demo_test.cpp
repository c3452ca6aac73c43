// Two demos on one computer (two users, or a demo while the tests run): the
// second gets routers of its own, and says what to type into Remote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include <ipslan/config.h>

#include "main/demo.h"

namespace tolvaro::demo {
namespace {

TEST(Demo, ASecondDemoGetsRoutersOfItsOwnAndSaysWhereFieldOfficeIs) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("tolvaro-demo-test-" + std::to_string(getpid()));
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);

    std::string error;
    auto first = DemoNetwork::start(error);
    ASSERT_NE(first, nullptr) << error;
    const int firstDiscovery = ipslan::discoveryPort();
    auto second = DemoNetwork::start(error);
    ASSERT_NE(second, nullptr) << error;

    EXPECT_GT(second->instance(), first->instance());
    EXPECT_NE(ipslan::discoveryPort(), firstDiscovery) << "each finds only its own routers";
    EXPECT_NE(second->remotePort(), first->remotePort());
    EXPECT_NE(stateDirectory(second->instance()), stateDirectory(first->instance()));
    const std::string notice = second->notice();
    EXPECT_NE(notice.find("port " + std::to_string(second->remotePort())), std::string::npos)
        << notice;
    EXPECT_EQ(notice.find("did not start"), std::string::npos) << notice;

    // The first instance is free again once its demo ends.
    const int freed = first->instance();
    first.reset();
    auto third = DemoNetwork::start(error);
    ASSERT_NE(third, nullptr) << error;
    EXPECT_EQ(third->instance(), freed);

    third.reset();
    second.reset();
    std::filesystem::remove_all(data);
}

} // namespace
} // namespace tolvaro::demo
