#pragma once
// The scripts that run in every document of a browser window, and what the
// player shows for each kind of content. Each script is a self-invoking
// function guarded by its own window flag, so a second run does nothing.
#include <string>
#include <string_view>
#include <vector>

#include "core/app_record.h"

namespace pellaro {

// Full-page cover until load (or at most 5 s). Player window.
const std::wstring& LoaderScript();
// window.print and Ctrl+P go to the program; save/open shortcuts swallowed. Both windows.
const std::wstring& PrintBlockScript();
// Draggable Home/Back/Reload/Fullscreen bar with its loader. Home window.
const std::wstring& NavigationBarScript();
// Floating print button, put back when removed. Player, PDF content.
const std::wstring& PrintButtonScript();
// Watermark layer, put back when removed. The text must already be escaped
// for a quoted script string (JsEscape).
std::wstring WatermarkScript(std::wstring_view escapedText);
// Runs a video-sharing item's page script once the DOM is ready.
std::wstring PageScriptWrapper(std::wstring_view pageScript);

// What the player window does once its browser is ready.
struct PlayerContentPlan {
    std::vector<std::wstring> scripts;  // registered in this order
    bool localPage = false;             // true: show the built player page; false: navigate
    std::wstring address;               // the address to navigate to
};
PlayerContentPlan PlanPlayerContent(const ContentDescriptor& content, std::wstring_view escapedWatermark);

// Scripts of the home window, in registration order.
std::vector<std::wstring> HomeScripts();

}  // namespace pellaro
