#pragma once
// The texts the start-up shows. English first, Arabic after a line break.

namespace pellaro::startup_text {

inline constexpr const wchar_t* kAlreadyRunning = L"The application is already running.\n\nالبرنامج يعمل بالفعل.";
inline constexpr const wchar_t* kUnsupportedOs =
    L"This application requires Windows 10 or later.\nهذا التطبيق يتطلب ويندوز 10 أو أحدث.";
inline constexpr const wchar_t* kUnsupportedOsCaption = L"Unsupported OS";
inline constexpr const wchar_t* kDeviceInfo =
    L"Unable to read device information. The application will close. Please contact support.\nتعذر قراءة بيانات الجهاز. سيتم إغلاق البرنامج. يرجى التواصل مع الدعم.";
inline constexpr const wchar_t* kWindowFailed = L"Failed to create the application window.";
// Captions that begin with the display name keep only what follows " - ".
inline constexpr const wchar_t* kStartupErrorSuffix = L"Startup Error";
inline constexpr const wchar_t* kServerErrorSuffix = L"خطأ";
inline constexpr const wchar_t* kLinkErrorTitle = L"Link Error - خطأ في الرابط";
inline constexpr const wchar_t* kLinkErrorText =
    L"Failed to process the content link.\nIf the problem persists, send the diagnostic code below to support.";
inline constexpr const wchar_t* kLinkErrorArabic =
    L"فشل في معالجة رابط المحتوى.\nإذا استمرت المشكلة، يرجى إرسال الكود التشخيصي أدناه للدعم الفني.";
// The academy's server could not be reached (no connection, no answer, too
// slow): not the link's fault, and not an interception.
inline constexpr const wchar_t* kUnreachableTitle = L"Connection Failed - تعذر الاتصال";
inline constexpr const wchar_t* kUnreachableText =
    L"The academy's server could not be reached.\nPlease check your internet connection (and any firewall or proxy in between) and try again. If the problem persists, send the diagnostic code below to support.";
inline constexpr const wchar_t* kUnreachableArabic =
    L"تعذر الوصول إلى خادم الأكاديمية.\nيرجى التحقق من اتصالك بالإنترنت (وأي جدار حماية أو خادم وكيل) والمحاولة مرة أخرى. إذا استمرت المشكلة، يرجى إرسال الكود التشخيصي أدناه للدعم الفني.";
inline constexpr const wchar_t* kUpdateRequired =
    L"A mandatory update is available. You must download the new version to continue.\nتحديث إجباري متاح. يجب عليك تحميل الإصدار الجديد للمتابعة.";
inline constexpr const wchar_t* kUpdateRequiredSuffix = L"Update Required";
inline constexpr const wchar_t* kUpdateAvailable =
    L"A new version of the app is available. Would you like to update now?\nيوجد تحديث جديد للتطبيق. هل ترغب في التحديث الآن؟";
inline constexpr const wchar_t* kUpdateAvailableSuffix = L"Update Available";

}  // namespace pellaro::startup_text
