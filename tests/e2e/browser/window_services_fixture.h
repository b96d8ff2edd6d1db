#pragma once
// The program's window wiring for the Qt window tests: a private data folder
// and the services the windows are given, with print requests counted; the
// windows go at the end of each test.
#include <QTemporaryDir>

#include <memory>

#include <gtest/gtest.h>

#include "browser/browser_services.h"
#include "browser/browser_windows.h"
#include "core/build_constants.h"

namespace pellaro {

class WindowServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(data_.isValid());
        qputenv("XDG_DATA_HOME", data_.path().toUtf8());
        BrowserWindowServices services;
        services.closeSplash = [] {};
        services.filterServices = [] { return DefaultFilterServices(nullptr); };
        services.print = [this](WebView::WebViewHost&, const ContentDescriptor&) { ++prints_; };
        services.homeAddress = WideConstant(ConstantKey::homeAddress);
        windows_ = std::make_unique<ProgramWindows>(nullptr, services);
    }
    void TearDown() override { windows_.reset(); }

    QTemporaryDir data_;
    std::unique_ptr<ProgramWindows> windows_;
    int prints_ = 0;
};

}  // namespace pellaro
