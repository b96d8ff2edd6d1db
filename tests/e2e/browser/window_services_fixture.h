#pragma once
// The program's window wiring for the Qt window tests: a private data folder
// and the services the windows are given, with print requests counted.
#include <QTemporaryDir>

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
        WireWindowBrowsers(services);
    }
    void TearDown() override { DestroyBrowserHosts(); }

    QTemporaryDir data_;
    int prints_ = 0;
};

}  // namespace pellaro
