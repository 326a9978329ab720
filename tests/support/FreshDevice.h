#pragma once
// A test fixture whose every test runs on a new, empty device root.

#include "platform/system/DeviceRoot.h"
#include "support/TempDevice.h"

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

class FreshDevice : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = std::make_unique<TempFolder>("jorvana-device-");
        device::UseRootFolder(m_root->Path());
    }
    void TearDown() override {
        device::UseRootFolder({});
        m_root.reset();
    }
    const std::filesystem::path& Root() const { return m_root->Path(); }

private:
    std::unique_ptr<TempFolder> m_root;
};

} // namespace testsupport
