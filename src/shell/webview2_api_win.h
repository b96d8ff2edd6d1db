#pragma once
// Our own declarations of the embedded browser's COM interfaces: only what the
// program and its test runtime use, each interface with every vtable slot in
// the runtime's order. Slots the program never calls are declared by name with
// no parameters and answer E_NOTIMPL; a slot out of place crashes a real
// machine, so tests/win/webview2/webview2_abi.txt and its test keep them honest.
#include <windows.h>
#include <eventtoken.h>
#include <objidl.h>

// ---- Plain types -----------------------------------------------------------

struct COREWEBVIEW2_COLOR {
    BYTE A;
    BYTE R;
    BYTE G;
    BYTE B;
};

enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT : int { COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL = 0 };
enum COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS : unsigned {
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_NONE = 0,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT = 1,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SHARED_WORKER = 2,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SERVICE_WORKER = 4,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_ALL = 0xFFFFFFFFu,
};
enum COREWEBVIEW2_WEB_ERROR_STATUS : int { COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN = 0 };
enum COREWEBVIEW2_PERMISSION_KIND : int {
    COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION = 0,
    COREWEBVIEW2_PERMISSION_KIND_MICROPHONE = 1,
    COREWEBVIEW2_PERMISSION_KIND_CAMERA = 2,
    COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION = 3,
    COREWEBVIEW2_PERMISSION_KIND_NOTIFICATIONS = 4,
    COREWEBVIEW2_PERMISSION_KIND_OTHER_SENSORS = 5,
    COREWEBVIEW2_PERMISSION_KIND_CLIPBOARD_READ = 6,
};
enum COREWEBVIEW2_PERMISSION_STATE : int {
    COREWEBVIEW2_PERMISSION_STATE_DEFAULT = 0,
    COREWEBVIEW2_PERMISSION_STATE_ALLOW = 1,
    COREWEBVIEW2_PERMISSION_STATE_DENY = 2,
};
enum COREWEBVIEW2_MOVE_FOCUS_REASON : int {
    COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
    COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
    COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
};
enum COREWEBVIEW2_PRINT_STATUS : int {
    COREWEBVIEW2_PRINT_STATUS_SUCCEEDED = 0,
    COREWEBVIEW2_PRINT_STATUS_PRINTER_UNAVAILABLE = 1,
    COREWEBVIEW2_PRINT_STATUS_OTHER_ERROR = 2,
};
enum COREWEBVIEW2_KEY_EVENT_KIND : int {
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN = 0,
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP = 1,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN = 2,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP = 3,
};
struct COREWEBVIEW2_PHYSICAL_KEY_STATUS {
    UINT32 RepeatCount;
    UINT32 ScanCode;
    BOOL IsExtendedKey;
    BOOL IsMenuKeyDown;
    BOOL WasKeyDown;
    BOOL IsKeyReleased;
};
enum COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND : int {
    COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_NORMAL = 0,
    COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_FAILED = 1,
};
enum COREWEBVIEW2_PROCESS_FAILED_KIND : int {
    COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED = 0,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED = 1,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE = 2,
    COREWEBVIEW2_PROCESS_FAILED_KIND_FRAME_RENDER_PROCESS_EXITED = 3,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UTILITY_PROCESS_EXITED = 4,
    COREWEBVIEW2_PROCESS_FAILED_KIND_SANDBOX_HELPER_PROCESS_EXITED = 5,
    COREWEBVIEW2_PROCESS_FAILED_KIND_GPU_PROCESS_EXITED = 6,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_PLUGIN_PROCESS_EXITED = 7,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_BROKER_PROCESS_EXITED = 8,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED = 9,
};
enum COREWEBVIEW2_DOWNLOAD_STATE : int {
    COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS = 0,
    COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED = 1,
    COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED = 2,
};

// A slot the program never calls: present so later slots keep their index.
#define PELLARO_WV2_SLOT(name) \
    virtual HRESULT STDMETHODCALLTYPE name() { return E_NOTIMPL; }

// IID_<interface>, and __uuidof(<interface>) for ComPtr::As.
#define PELLARO_WV2_IID(iface, l, w1, w2, b0, b1, b2, b3, b4, b5, b6, b7)             \
    inline constexpr IID IID_##iface = {l, w1, w2, {b0, b1, b2, b3, b4, b5, b6, b7}}; \
    struct iface;                                                                     \
    __CRT_UUID_DECL(iface, l, w1, w2, b0, b1, b2, b3, b4, b5, b6, b7)

struct ICoreWebView2;
struct ICoreWebView2Controller;
struct ICoreWebView2Environment;
struct ICoreWebView2Settings;
struct ICoreWebView2HttpRequestHeaders;
struct ICoreWebView2HttpResponseHeaders;
struct ICoreWebView2WebResourceRequest;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2PrintSettings;
struct ICoreWebView2Deferral;
struct ICoreWebView2HttpHeadersCollectionIterator;
struct ICoreWebView2DownloadOperation;

// ---- Completion and event handlers (implemented by the program) ------------

PELLARO_WV2_IID(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, 0x4e8a3389, 0xc9d8, 0x4bd2, 0xb6, 0xb5,
                0x12, 0x4f, 0xee, 0x6c, 0xc1, 0x4d)
struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Environment* createdEnvironment) = 0;
};

PELLARO_WV2_IID(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, 0x6c4819f3, 0xc9b7, 0x4260, 0x81, 0x27, 0xc9,
                0xf5, 0xbd, 0xe7, 0xf6, 0x8c)
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Controller* createdController) = 0;
};

PELLARO_WV2_IID(ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler, 0xb99369f3, 0x9b11, 0x47b5, 0xbc,
                0x6f, 0x8e, 0x78, 0x95, 0xfc, 0xea, 0x17)
struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR id) = 0;
};

PELLARO_WV2_IID(ICoreWebView2PrintCompletedHandler, 0x8fd80075, 0xed08, 0x42db, 0x85, 0x70, 0xf5, 0xd1, 0x49, 0x77,
                0x46, 0x1e)
struct ICoreWebView2PrintCompletedHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, COREWEBVIEW2_PRINT_STATUS printStatus) = 0;
};

// ---- Event arguments (implemented by the runtime) ---------------------------

PELLARO_WV2_IID(ICoreWebView2NavigationStartingEventArgs, 0x5b495469, 0xe119, 0x438a, 0x9b, 0x18, 0x76, 0x04, 0xf2,
                0x5f, 0x2e, 0x49)
struct ICoreWebView2NavigationStartingEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* isRedirected) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders** requestHeaders) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

PELLARO_WV2_IID(ICoreWebView2NavigationCompletedEventArgs, 0x30d68b7d, 0x20d9, 0x4752, 0xa9, 0xca, 0xec, 0x84, 0x48,
                0xfb, 0xb5, 0xc1)
struct ICoreWebView2NavigationCompletedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* isSuccess) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* webErrorStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

PELLARO_WV2_IID(ICoreWebView2NewWindowRequestedEventArgs, 0x34acb11c, 0xfc37, 0x4418, 0x91, 0x32, 0xf9, 0xc2, 0x1d,
                0x1e, 0xaf, 0xb9)
struct ICoreWebView2NewWindowRequestedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
    PELLARO_WV2_SLOT(GetDeferral)
    PELLARO_WV2_SLOT(get_WindowFeatures)
};

PELLARO_WV2_IID(ICoreWebView2PermissionRequestedEventArgs, 0x973ae2ef, 0xff18, 0x4894, 0x8f, 0xb2, 0x3c, 0x75, 0x8f,
                0x04, 0x68, 0x10)
struct ICoreWebView2PermissionRequestedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* permissionKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE state) = 0;
    PELLARO_WV2_SLOT(GetDeferral)
};

PELLARO_WV2_IID(ICoreWebView2WebMessageReceivedEventArgs, 0x0f99a40c, 0xe962, 0x4207, 0x9e, 0x92, 0xe3, 0xd5, 0x42,
                0xef, 0xf8, 0x49)
struct ICoreWebView2WebMessageReceivedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* webMessageAsJson) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* webMessageAsString) = 0;
};

PELLARO_WV2_IID(ICoreWebView2WebResourceRequestedEventArgs, 0x453e667f, 0x12c7, 0x49d4, 0xbe, 0x6d, 0xdd, 0xbe, 0x79,
                0x56, 0xf5, 0x7a)
struct ICoreWebView2WebResourceRequestedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) = 0;
    PELLARO_WV2_SLOT(GetDeferral)
    virtual HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) = 0;
};

// Raised before the engine hands an address to another program (ICoreWebView2_18).
PELLARO_WV2_IID(ICoreWebView2LaunchingExternalUriSchemeEventArgs, 0x07d1a6c3, 0x7175, 0x4ba1, 0x93, 0x06, 0xe5, 0x93,
                0xca, 0x07, 0xe4, 0x6c)
struct ICoreWebView2LaunchingExternalUriSchemeEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InitiatingOrigin(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) = 0;
    PELLARO_WV2_SLOT(GetDeferral)
};

// Raised by the controller for key chords while the browser has the focus.
PELLARO_WV2_IID(ICoreWebView2AcceleratorKeyPressedEventArgs, 0x9f760f8a, 0xfb79, 0x42be, 0x99, 0x90, 0x7b, 0x56, 0x90,
                0x0f, 0xa9, 0xc7)
struct ICoreWebView2AcceleratorKeyPressedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* keyEventKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* virtualKey) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* physicalKeyStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
};

PELLARO_WV2_IID(ICoreWebView2BrowserProcessExitedEventArgs, 0x1f00663f, 0xaf8c, 0x4782, 0x9c, 0xdd, 0xdd, 0x01, 0xc5,
                0x2e, 0x34, 0xcb)
struct ICoreWebView2BrowserProcessExitedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessExitKind(COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND* kind) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;
};

PELLARO_WV2_IID(ICoreWebView2ProcessFailedEventArgs, 0x8155a9a4, 0x1474, 0x4a86, 0x8c, 0xae, 0x15, 0x1b, 0x0f, 0xa6,
                0xb8, 0xca)
struct ICoreWebView2ProcessFailedEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) = 0;
};

PELLARO_WV2_IID(ICoreWebView2DownloadStartingEventArgs, 0xe99bbe21, 0x43e9, 0x4544, 0xa7, 0x32, 0x28, 0x27, 0x64, 0xea,
                0xfa, 0x60)
struct ICoreWebView2DownloadStartingEventArgs : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
    PELLARO_WV2_SLOT(GetDeferral)
};

PELLARO_WV2_IID(ICoreWebView2NavigationStartingEventHandler, 0x9adbe429, 0xf36d, 0x432b, 0x9d, 0xdc, 0xf8, 0x88, 0x1f,
                0xbd, 0x76, 0xe3)
struct ICoreWebView2NavigationStartingEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2NavigationCompletedEventHandler, 0xd33a35bf, 0x1c49, 0x4f98, 0x93, 0xab, 0x00, 0x6e, 0x05,
                0x33, 0xfe, 0x1c)
struct ICoreWebView2NavigationCompletedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2NavigationCompletedEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2NewWindowRequestedEventHandler, 0xd4c185fe, 0xc81c, 0x4989, 0x97, 0xaf, 0x2d, 0x3f, 0xa7,
                0xab, 0x56, 0x51)
struct ICoreWebView2NewWindowRequestedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2PermissionRequestedEventHandler, 0x15e1c6a3, 0xc72a, 0x4df3, 0x91, 0xd7, 0xd0, 0x97, 0xfb,
                0xec, 0x6b, 0xfd)
struct ICoreWebView2PermissionRequestedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2PermissionRequestedEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2WebMessageReceivedEventHandler, 0x57213f19, 0x00e6, 0x49fa, 0x8e, 0x07, 0x89, 0x8e, 0xa0,
                0x1e, 0xcb, 0xd2)
struct ICoreWebView2WebMessageReceivedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2WebMessageReceivedEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2WebResourceRequestedEventHandler, 0xab00b74c, 0x15f1, 0x4646, 0x80, 0xe8, 0xe7, 0x63, 0x41,
                0xd2, 0x5d, 0x71)
struct ICoreWebView2WebResourceRequestedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2WebResourceRequestedEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2LaunchingExternalUriSchemeEventHandler, 0x74f712e0, 0x8165, 0x43a9, 0xa1, 0x3f, 0x0c, 0xce,
                0x59, 0x7e, 0x75, 0xdf)
struct ICoreWebView2LaunchingExternalUriSchemeEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2LaunchingExternalUriSchemeEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2AcceleratorKeyPressedEventHandler, 0xb29c7e28, 0xfa79, 0x41a8, 0x8e, 0x44, 0x65, 0x81,
                0x1c, 0x76, 0xdc, 0xb2)
struct ICoreWebView2AcceleratorKeyPressedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender,
                                             ICoreWebView2AcceleratorKeyPressedEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2BrowserProcessExitedEventHandler, 0xfa504257, 0xa216, 0x4911, 0xa8, 0x60, 0xfe, 0x88, 0x25,
                0x71, 0x28, 0x61)
struct ICoreWebView2BrowserProcessExitedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Environment* sender,
                                             ICoreWebView2BrowserProcessExitedEventArgs* args) = 0;
};

PELLARO_WV2_IID(ICoreWebView2ProcessFailedEventHandler, 0x79e0aea4, 0x990b, 0x42d9, 0xaa, 0x1d, 0x0f, 0xcc, 0x2e, 0x5b,
                0xc7, 0xf1)
struct ICoreWebView2ProcessFailedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ProcessFailedEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2DownloadStartingEventHandler, 0xefedc989, 0xc396, 0x41ca, 0x83, 0xf7, 0x07, 0xf8, 0x45,
                0xa5, 0x57, 0x24)
struct ICoreWebView2DownloadStartingEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2DownloadStartingEventArgs* args) = 0;
};
PELLARO_WV2_IID(ICoreWebView2StateChangedEventHandler, 0x81336594, 0x7ede, 0x4ba9, 0xbf, 0x71, 0xac, 0xf0, 0xa9, 0x5b,
                0x58, 0xdd)
struct ICoreWebView2StateChangedEventHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2DownloadOperation* sender, IUnknown* args) = 0;
};

// ---- Downloads ------------------------------------------------------------------

PELLARO_WV2_IID(ICoreWebView2DownloadOperation, 0x3d6b6cf2, 0xafe1, 0x44c7, 0xa9, 0x95, 0xc6, 0x51, 0x17, 0x71, 0x43,
                0x36)
struct ICoreWebView2DownloadOperation : IUnknown {
    PELLARO_WV2_SLOT(add_BytesReceivedChanged)
    PELLARO_WV2_SLOT(remove_BytesReceivedChanged)
    PELLARO_WV2_SLOT(add_EstimatedEndTimeChanged)
    PELLARO_WV2_SLOT(remove_EstimatedEndTimeChanged)
    virtual HRESULT STDMETHODCALLTYPE add_StateChanged(ICoreWebView2StateChangedEventHandler* handler,
                                                       EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    PELLARO_WV2_SLOT(get_ContentDisposition)
    PELLARO_WV2_SLOT(get_MimeType)
    PELLARO_WV2_SLOT(get_TotalBytesToReceive)
    PELLARO_WV2_SLOT(get_BytesReceived)
    PELLARO_WV2_SLOT(get_EstimatedEndTime)
    virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_DOWNLOAD_STATE* state) = 0;
    PELLARO_WV2_SLOT(get_InterruptReason)
    PELLARO_WV2_SLOT(Cancel)
    PELLARO_WV2_SLOT(Pause)
    PELLARO_WV2_SLOT(Resume)
    PELLARO_WV2_SLOT(get_CanResume)
};

// ---- Requests, responses, headers -------------------------------------------

PELLARO_WV2_IID(ICoreWebView2HttpRequestHeaders, 0xe86cac0e, 0x5523, 0x465c, 0xb5, 0x36, 0x8f, 0xb9, 0xfc, 0x8c, 0x8c,
                0x60)
struct ICoreWebView2HttpRequestHeaders : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) = 0;
    PELLARO_WV2_SLOT(GetHeaders)
    virtual HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR name, LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR name) = 0;
    PELLARO_WV2_SLOT(GetIterator)
};

PELLARO_WV2_IID(ICoreWebView2WebResourceRequest, 0x97055cd4, 0x512c, 0x4264, 0x8b, 0x5f, 0xe3, 0xf4, 0x46, 0xce, 0xa6,
                0xa5)
struct ICoreWebView2WebResourceRequest : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR method) = 0;
    PELLARO_WV2_SLOT(get_Content)
    PELLARO_WV2_SLOT(put_Content)
    virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) = 0;
};

PELLARO_WV2_IID(ICoreWebView2WebResourceResponse, 0xaafcc94f, 0xfa27, 0x48fd, 0x97, 0xdf, 0x83, 0x0e, 0xf7, 0x5a, 0xae,
                0xc9)
struct ICoreWebView2WebResourceResponse : IUnknown {
    PELLARO_WV2_SLOT(get_Content)
    PELLARO_WV2_SLOT(put_Content)
    PELLARO_WV2_SLOT(get_Headers)
    virtual HRESULT STDMETHODCALLTYPE get_StatusCode(int* statusCode) = 0;
    PELLARO_WV2_SLOT(put_StatusCode)
    virtual HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* reasonPhrase) = 0;
    PELLARO_WV2_SLOT(put_ReasonPhrase)
};

// ---- Settings ---------------------------------------------------------------

PELLARO_WV2_IID(ICoreWebView2Settings, 0xe562e4f0, 0xd7fa, 0x43ac, 0x8d, 0x71, 0xc0, 0x51, 0x50, 0x49, 0x9f, 0x00)
struct ICoreWebView2Settings : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL value) = 0;
};

// Settings2 adds the user agent; Settings3 the browser's accelerator keys.
PELLARO_WV2_IID(ICoreWebView2Settings3, 0xfdb5ab74, 0xaf33, 0x4854, 0x84, 0xf0, 0x0a, 0x63, 0x1d, 0xeb, 0x5e, 0xba)
struct ICoreWebView2Settings3 : ICoreWebView2Settings {
    PELLARO_WV2_SLOT(get_UserAgent)
    PELLARO_WV2_SLOT(put_UserAgent)
    virtual HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL value) = 0;
};

// Settings4 adds password and form autofill, Settings5 pinch zoom, Settings6
// swipe navigation; Settings7 the PDF viewer's toolbar.
enum COREWEBVIEW2_PDF_TOOLBAR_ITEMS : int {
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_NONE = 0,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_SAVE = 0x1,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_PRINT = 0x2,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_SAVE_AS = 0x4,
};
PELLARO_WV2_IID(ICoreWebView2Settings7, 0x488dc902, 0x35ef, 0x42d2, 0xbc, 0x7d, 0x94, 0xb6, 0x5c, 0x4b, 0xc4, 0x9c)
struct ICoreWebView2Settings7 : ICoreWebView2Settings3 {
    PELLARO_WV2_SLOT(get_IsPasswordAutosaveEnabled)
    PELLARO_WV2_SLOT(put_IsPasswordAutosaveEnabled)
    PELLARO_WV2_SLOT(get_IsGeneralAutofillEnabled)
    PELLARO_WV2_SLOT(put_IsGeneralAutofillEnabled)
    PELLARO_WV2_SLOT(get_IsPinchZoomEnabled)
    PELLARO_WV2_SLOT(put_IsPinchZoomEnabled)
    PELLARO_WV2_SLOT(get_IsSwipeNavigationEnabled)
    PELLARO_WV2_SLOT(put_IsSwipeNavigationEnabled)
    virtual HRESULT STDMETHODCALLTYPE get_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS value) = 0;
};

// ---- Printing -----------------------------------------------------------------

PELLARO_WV2_IID(ICoreWebView2PrintSettings, 0x377f3721, 0xc74e, 0x48ca, 0x8d, 0xb1, 0xdf, 0x68, 0xe5, 0x1d, 0x60, 0xe2)
struct ICoreWebView2PrintSettings : IUnknown {
    PELLARO_WV2_SLOT(get_Orientation)
    PELLARO_WV2_SLOT(put_Orientation)
    PELLARO_WV2_SLOT(get_ScaleFactor)
    PELLARO_WV2_SLOT(put_ScaleFactor)
    PELLARO_WV2_SLOT(get_PageWidth)
    PELLARO_WV2_SLOT(put_PageWidth)
    PELLARO_WV2_SLOT(get_PageHeight)
    PELLARO_WV2_SLOT(put_PageHeight)
    PELLARO_WV2_SLOT(get_MarginTop)
    PELLARO_WV2_SLOT(put_MarginTop)
    PELLARO_WV2_SLOT(get_MarginBottom)
    PELLARO_WV2_SLOT(put_MarginBottom)
    PELLARO_WV2_SLOT(get_MarginLeft)
    PELLARO_WV2_SLOT(put_MarginLeft)
    PELLARO_WV2_SLOT(get_MarginRight)
    PELLARO_WV2_SLOT(put_MarginRight)
    PELLARO_WV2_SLOT(get_ShouldPrintBackgrounds)
    PELLARO_WV2_SLOT(put_ShouldPrintBackgrounds)
    PELLARO_WV2_SLOT(get_ShouldPrintSelectionOnly)
    PELLARO_WV2_SLOT(put_ShouldPrintSelectionOnly)
    PELLARO_WV2_SLOT(get_ShouldPrintHeaderAndFooter)
    PELLARO_WV2_SLOT(put_ShouldPrintHeaderAndFooter)
    PELLARO_WV2_SLOT(get_HeaderTitle)
    PELLARO_WV2_SLOT(put_HeaderTitle)
    PELLARO_WV2_SLOT(get_FooterUri)
    PELLARO_WV2_SLOT(put_FooterUri)
};

PELLARO_WV2_IID(ICoreWebView2PrintSettings2, 0xca7f0e1f, 0x3484, 0x41d1, 0x8c, 0x1a, 0x65, 0xcd, 0x44, 0xa6, 0x3f, 0x8d)
struct ICoreWebView2PrintSettings2 : ICoreWebView2PrintSettings {
    PELLARO_WV2_SLOT(get_PageRanges)
    PELLARO_WV2_SLOT(put_PageRanges)
    PELLARO_WV2_SLOT(get_PagesPerSide)
    PELLARO_WV2_SLOT(put_PagesPerSide)
    PELLARO_WV2_SLOT(get_Copies)
    PELLARO_WV2_SLOT(put_Copies)
    PELLARO_WV2_SLOT(get_Collation)
    PELLARO_WV2_SLOT(put_Collation)
    PELLARO_WV2_SLOT(get_ColorMode)
    PELLARO_WV2_SLOT(put_ColorMode)
    PELLARO_WV2_SLOT(get_Duplex)
    PELLARO_WV2_SLOT(put_Duplex)
    PELLARO_WV2_SLOT(get_MediaSize)
    PELLARO_WV2_SLOT(put_MediaSize)
    virtual HRESULT STDMETHODCALLTYPE get_PrinterName(LPWSTR* printerName) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PrinterName(LPCWSTR printerName) = 0;
};

// ---- The web view -------------------------------------------------------------

PELLARO_WV2_IID(ICoreWebView2, 0x76eceacb, 0x0462, 0x4d94, 0xac, 0x83, 0x42, 0x3a, 0x67, 0x93, 0x77, 0x5e)
struct ICoreWebView2 : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* handler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) = 0;
    PELLARO_WV2_SLOT(add_ContentLoading)
    PELLARO_WV2_SLOT(remove_ContentLoading)
    PELLARO_WV2_SLOT(add_SourceChanged)
    PELLARO_WV2_SLOT(remove_SourceChanged)
    PELLARO_WV2_SLOT(add_HistoryChanged)
    PELLARO_WV2_SLOT(remove_HistoryChanged)
    virtual HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* handler,
                                                              EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) = 0;
    // Frames' navigations come with the same arguments as the top document's.
    virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler* handler,
                                                                  EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken token) = 0;
    PELLARO_WV2_SLOT(add_FrameNavigationCompleted)
    PELLARO_WV2_SLOT(remove_FrameNavigationCompleted)
    PELLARO_WV2_SLOT(add_ScriptDialogOpening)
    PELLARO_WV2_SLOT(remove_ScriptDialogOpening)
    virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* handler,
                                                              EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* handler,
                                                        EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;
    PELLARO_WV2_SLOT(RemoveScriptToExecuteOnDocumentCreated)
    PELLARO_WV2_SLOT(ExecuteScript)
    PELLARO_WV2_SLOT(CapturePreview)
    virtual HRESULT STDMETHODCALLTYPE Reload() = 0;
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;
    PELLARO_WV2_SLOT(PostWebMessageAsString)
    virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) = 0;
    PELLARO_WV2_SLOT(CallDevToolsProtocolMethod)
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) = 0;
    PELLARO_WV2_SLOT(get_CanGoForward)
    virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;
    PELLARO_WV2_SLOT(GoForward)
    PELLARO_WV2_SLOT(GetDevToolsProtocolEventReceiver)
    PELLARO_WV2_SLOT(Stop)
    virtual HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* handler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) = 0;
    PELLARO_WV2_SLOT(add_DocumentTitleChanged)
    PELLARO_WV2_SLOT(remove_DocumentTitleChanged)
    PELLARO_WV2_SLOT(get_DocumentTitle)
    PELLARO_WV2_SLOT(AddHostObjectToScript)
    PELLARO_WV2_SLOT(RemoveHostObjectFromScript)
    PELLARO_WV2_SLOT(OpenDevToolsWindow)
    PELLARO_WV2_SLOT(add_ContainsFullScreenElementChanged)
    PELLARO_WV2_SLOT(remove_ContainsFullScreenElementChanged)
    PELLARO_WV2_SLOT(get_ContainsFullScreenElement)
    virtual HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler* handler,
                                                               EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR uri,
                                                                    COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) = 0;
    PELLARO_WV2_SLOT(RemoveWebResourceRequestedFilter)
    PELLARO_WV2_SLOT(add_WindowCloseRequested)
    PELLARO_WV2_SLOT(remove_WindowCloseRequested)
};

PELLARO_WV2_IID(ICoreWebView2_2, 0x9e8f0cf8, 0xe670, 0x4b5e, 0xb2, 0xbc, 0x73, 0xe0, 0x61, 0xe3, 0x18, 0x4c)
struct ICoreWebView2_2 : ICoreWebView2 {
    PELLARO_WV2_SLOT(add_WebResourceResponseReceived)
    PELLARO_WV2_SLOT(remove_WebResourceResponseReceived)
    virtual HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) = 0;
    PELLARO_WV2_SLOT(add_DOMContentLoaded)
    PELLARO_WV2_SLOT(remove_DOMContentLoaded)
    PELLARO_WV2_SLOT(get_CookieManager)
    PELLARO_WV2_SLOT(get_Environment)
};

// The runtime's _3 comes between _2 and _4.
PELLARO_WV2_IID(ICoreWebView2_4, 0x20d02d59, 0x6df2, 0x42dc, 0xbd, 0x06, 0xf9, 0x8a, 0x69, 0x4b, 0x13, 0x02)
struct ICoreWebView2_4 : ICoreWebView2_2 {
    PELLARO_WV2_SLOT(TrySuspend)
    PELLARO_WV2_SLOT(Resume)
    PELLARO_WV2_SLOT(get_IsSuspended)
    PELLARO_WV2_SLOT(SetVirtualHostNameToFolderMapping)
    PELLARO_WV2_SLOT(ClearVirtualHostNameToFolderMapping)
    PELLARO_WV2_SLOT(add_FrameCreated)
    PELLARO_WV2_SLOT(remove_FrameCreated)
    virtual HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* handler,
                                                           EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) = 0;
};

// The runtime's _5 .. _15 come between _4 and _16.
PELLARO_WV2_IID(ICoreWebView2_16, 0x0eb34dc9, 0x9f91, 0x41e1, 0x86, 0x39, 0x95, 0xcd, 0x59, 0x43, 0x90, 0x6b)
struct ICoreWebView2_16 : ICoreWebView2_4 {
    PELLARO_WV2_SLOT(add_ClientCertificateRequested)
    PELLARO_WV2_SLOT(remove_ClientCertificateRequested)
    PELLARO_WV2_SLOT(OpenTaskManagerWindow)
    PELLARO_WV2_SLOT(PrintToPdf)
    PELLARO_WV2_SLOT(add_IsMutedChanged)
    PELLARO_WV2_SLOT(remove_IsMutedChanged)
    PELLARO_WV2_SLOT(get_IsMuted)
    PELLARO_WV2_SLOT(put_IsMuted)
    PELLARO_WV2_SLOT(add_IsDocumentPlayingAudioChanged)
    PELLARO_WV2_SLOT(remove_IsDocumentPlayingAudioChanged)
    PELLARO_WV2_SLOT(get_IsDocumentPlayingAudio)
    PELLARO_WV2_SLOT(add_IsDefaultDownloadDialogOpenChanged)
    PELLARO_WV2_SLOT(remove_IsDefaultDownloadDialogOpenChanged)
    PELLARO_WV2_SLOT(get_IsDefaultDownloadDialogOpen)
    PELLARO_WV2_SLOT(OpenDefaultDownloadDialog)
    PELLARO_WV2_SLOT(CloseDefaultDownloadDialog)
    PELLARO_WV2_SLOT(get_DefaultDownloadDialogCornerAlignment)
    PELLARO_WV2_SLOT(put_DefaultDownloadDialogCornerAlignment)
    PELLARO_WV2_SLOT(get_DefaultDownloadDialogMargin)
    PELLARO_WV2_SLOT(put_DefaultDownloadDialogMargin)
    PELLARO_WV2_SLOT(add_BasicAuthenticationRequested)
    PELLARO_WV2_SLOT(remove_BasicAuthenticationRequested)
    PELLARO_WV2_SLOT(CallDevToolsProtocolMethodForSession)
    PELLARO_WV2_SLOT(add_ContextMenuRequested)
    PELLARO_WV2_SLOT(remove_ContextMenuRequested)
    PELLARO_WV2_SLOT(add_StatusBarTextChanged)
    PELLARO_WV2_SLOT(remove_StatusBarTextChanged)
    PELLARO_WV2_SLOT(get_StatusBarText)
    PELLARO_WV2_SLOT(get_Profile)
    PELLARO_WV2_SLOT(add_ServerCertificateErrorDetected)
    PELLARO_WV2_SLOT(remove_ServerCertificateErrorDetected)
    PELLARO_WV2_SLOT(ClearServerCertificateErrorActions)
    PELLARO_WV2_SLOT(add_FaviconChanged)
    PELLARO_WV2_SLOT(remove_FaviconChanged)
    PELLARO_WV2_SLOT(get_FaviconUri)
    PELLARO_WV2_SLOT(GetFavicon)
    virtual HRESULT STDMETHODCALLTYPE Print(ICoreWebView2PrintSettings* printSettings,
                                            ICoreWebView2PrintCompletedHandler* handler) = 0;
    PELLARO_WV2_SLOT(ShowPrintUI)
    PELLARO_WV2_SLOT(PrintToPdfStream)
};

// The runtime's _17 comes between _16 and _18.
PELLARO_WV2_IID(ICoreWebView2_18, 0x7a626017, 0x28be, 0x49b2, 0xb8, 0x65, 0x3b, 0xa2, 0xb3, 0x52, 0x2d, 0x90)
struct ICoreWebView2_18 : ICoreWebView2_16 {
    PELLARO_WV2_SLOT(PostSharedBufferToScript)
    virtual HRESULT STDMETHODCALLTYPE add_LaunchingExternalUriScheme(
        ICoreWebView2LaunchingExternalUriSchemeEventHandler* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_LaunchingExternalUriScheme(EventRegistrationToken token) = 0;
};

// The runtime's _19 .. _21 come between _18 and _22.
PELLARO_WV2_IID(ICoreWebView2_22, 0xdb75dfc7, 0xa857, 0x4632, 0xa3, 0x98, 0x69, 0x69, 0xdd, 0xe2, 0x6c, 0x0a)
struct ICoreWebView2_22 : ICoreWebView2_18 {
    PELLARO_WV2_SLOT(get_MemoryUsageTargetLevel)
    PELLARO_WV2_SLOT(put_MemoryUsageTargetLevel)
    PELLARO_WV2_SLOT(get_FrameId)
    PELLARO_WV2_SLOT(ExecuteScriptWithResult)
    virtual HRESULT STDMETHODCALLTYPE
    AddWebResourceRequestedFilterWithRequestSourceKinds(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context,
                                                        COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS kinds) = 0;
    PELLARO_WV2_SLOT(RemoveWebResourceRequestedFilterWithRequestSourceKinds)
};

// ---- The controller -----------------------------------------------------------

PELLARO_WV2_IID(ICoreWebView2Controller, 0x4d00c0d1, 0x9434, 0x4eb6, 0x80, 0x78, 0x86, 0x97, 0xa5, 0x60, 0x33, 0x4f)
struct ICoreWebView2Controller : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;
    PELLARO_WV2_SLOT(get_ZoomFactor)
    PELLARO_WV2_SLOT(put_ZoomFactor)
    PELLARO_WV2_SLOT(add_ZoomFactorChanged)
    PELLARO_WV2_SLOT(remove_ZoomFactorChanged)
    PELLARO_WV2_SLOT(SetBoundsAndZoomFactor)
    virtual HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;
    PELLARO_WV2_SLOT(add_MoveFocusRequested)
    PELLARO_WV2_SLOT(remove_MoveFocusRequested)
    PELLARO_WV2_SLOT(add_GotFocus)
    PELLARO_WV2_SLOT(remove_GotFocus)
    PELLARO_WV2_SLOT(add_LostFocus)
    PELLARO_WV2_SLOT(remove_LostFocus)
    virtual HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* handler,
                                                                EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken token) = 0;
    PELLARO_WV2_SLOT(get_ParentWindow)
    PELLARO_WV2_SLOT(put_ParentWindow)
    virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) = 0;
};

PELLARO_WV2_IID(ICoreWebView2Controller2, 0xc979903e, 0xd4ca, 0x4228, 0x92, 0xeb, 0x47, 0xee, 0x3f, 0xa9, 0x6e, 0xab)
struct ICoreWebView2Controller2 : ICoreWebView2Controller {
    virtual HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* color) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR color) = 0;
};

// The runtime's Controller3 comes between 2 and 4.
PELLARO_WV2_IID(ICoreWebView2Controller4, 0x97d418d5, 0xa426, 0x4e49, 0xa1, 0x51, 0xe1, 0xa1, 0x0f, 0x32, 0x7d, 0x9e)
struct ICoreWebView2Controller4 : ICoreWebView2Controller2 {
    PELLARO_WV2_SLOT(get_RasterizationScale)
    PELLARO_WV2_SLOT(put_RasterizationScale)
    PELLARO_WV2_SLOT(get_ShouldDetectMonitorScaleChanges)
    PELLARO_WV2_SLOT(put_ShouldDetectMonitorScaleChanges)
    PELLARO_WV2_SLOT(add_RasterizationScaleChanged)
    PELLARO_WV2_SLOT(remove_RasterizationScaleChanged)
    PELLARO_WV2_SLOT(get_BoundsMode)
    PELLARO_WV2_SLOT(put_BoundsMode)
    virtual HRESULT STDMETHODCALLTYPE get_AllowExternalDrop(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllowExternalDrop(BOOL value) = 0;
};

// ---- The environment ----------------------------------------------------------

PELLARO_WV2_IID(ICoreWebView2Environment, 0xb96d755e, 0x0319, 0x4e92, 0xa2, 0x96, 0x23, 0x43, 0x6f, 0x46, 0xa1, 0xfc)
struct ICoreWebView2Environment : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                                LPCWSTR headers,
                                                                ICoreWebView2WebResourceResponse** response) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) = 0;
    PELLARO_WV2_SLOT(add_NewBrowserVersionAvailable)
    PELLARO_WV2_SLOT(remove_NewBrowserVersionAvailable)
};

PELLARO_WV2_IID(ICoreWebView2Environment2, 0x41f3632b, 0x5ef4, 0x404f, 0xad, 0x82, 0x2d, 0x60, 0x6c, 0x5a, 0x9a, 0x21)
struct ICoreWebView2Environment2 : ICoreWebView2Environment {
    virtual HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(LPCWSTR uri, LPCWSTR method, IStream* postData,
                                                               LPCWSTR headers,
                                                               ICoreWebView2WebResourceRequest** request) = 0;
};

// The runtime's Environment3 and 4 come between 2 and 5.
PELLARO_WV2_IID(ICoreWebView2Environment5, 0x319e423d, 0xe0d7, 0x4b8d, 0x92, 0x54, 0xae, 0x94, 0x75, 0xde, 0x9b, 0x17)
struct ICoreWebView2Environment5 : ICoreWebView2Environment2 {
    PELLARO_WV2_SLOT(CreateCoreWebView2CompositionController)
    PELLARO_WV2_SLOT(CreateCoreWebView2PointerInfo)
    PELLARO_WV2_SLOT(GetAutomationProviderForWindow)
    virtual HRESULT STDMETHODCALLTYPE add_BrowserProcessExited(ICoreWebView2BrowserProcessExitedEventHandler* handler,
                                                               EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_BrowserProcessExited(EventRegistrationToken token) = 0;
};

PELLARO_WV2_IID(ICoreWebView2Environment6, 0xe59ee362, 0xacbd, 0x4857, 0x9a, 0x8e, 0xd3, 0x64, 0x4d, 0x94, 0x59, 0xa9)
struct ICoreWebView2Environment6 : ICoreWebView2Environment5 {
    virtual HRESULT STDMETHODCALLTYPE CreatePrintSettings(ICoreWebView2PrintSettings** printSettings) = 0;
};

// The options object the program hands to the loader (implemented by the program).
PELLARO_WV2_IID(ICoreWebView2EnvironmentOptions, 0x2fde08a8, 0x1e9a, 0x4766, 0x8c, 0x05, 0x95, 0xa9, 0xce, 0xb9, 0xd1,
                0xc5)
struct ICoreWebView2EnvironmentOptions : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) = 0;
};

#undef PELLARO_WV2_IID
