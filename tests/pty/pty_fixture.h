// A simulated keyer served on a pseudo-terminal and reachable as COM7
// through the per-user override folder, for tests of the termios device.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "core/link/transport.h"
#include "dialogs/keyer_session.h"
#include "sim/keyer_simulator.h"
#include "sim/pty_keyer_server.h"
#include "tests/support/test_support.h"

class PtyKeyerTest : public ProgramTest {
protected:
    static constexpr int Port = 7;

    void SetUp() override {
        ProgramTest::SetUp();
        ::setenv("XDG_CONFIG_HOME", tempDir.c_str(), 1);
        portsDir = tempDir / "keyer-tools" / "ports";
        std::filesystem::create_directories(portsDir);
    }
    void TearDown() override {
        closeAll();
        ProgramTest::TearDown();
    }
    // Starts serving `keyer` and links it as COM7.
    void serve() {
        server = std::make_unique<PtyKeyerServer>(keyer);
        std::string error;
        ASSERT_TRUE(server->start(error)) << error;
        std::filesystem::create_symlink(server->devicePath(), portsDir / ("com" + std::to_string(Port)));
    }
    // What the keyer did, read while the server leaves it alone.
    template <typename Fn>
    auto onKeyer(Fn fn) {
        decltype(fn(keyer)) result{};
        server->withKeyer([&](KeyerSimulator& k) { result = fn(k); });
        return result;
    }
    void closeAll() {
        closePort(link);
        closePort(keyerLink);
        if (server) server->stop();
    }

    KeyerSimulator keyer;
    KeyerLink link;  // a link of the test's own, beside the window's keyerLink
    std::unique_ptr<PtyKeyerServer> server;
    std::filesystem::path portsDir;
};
