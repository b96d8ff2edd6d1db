#include "print/print_result.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/debug_log.h"
#include "print/print_request.h"

namespace pellaro::print {
namespace {

TEST(PrintResultJsonTest, MessagesAreExact) {
    const std::pair<PrintOutcome, const char*> cases[] = {
        {PrintOutcome::Cancelled, R"({"type":"printResult","status":"cancelled"})"},
        {PrintOutcome::NoPrintEnvironment,
         R"({"type":"printResult","status":"error","message":"Failed to create print environment"})"},
        {PrintOutcome::SettingsFailed,
         R"({"type":"printResult","status":"error","message":"Failed to create print settings"})"},
        {PrintOutcome::PrinterNameFailed,
         R"({"type":"printResult","status":"error","message":"Failed to set printer name"})"},
        {PrintOutcome::PrintApiMissing,
         R"({"type":"printResult","status":"error","message":"Print API not available"})"},
        {PrintOutcome::Succeeded,
         R"({"type":"printResult","status":"success","message":"Print job sent successfully."})"},
        {PrintOutcome::PrinterUnavailable,
         R"({"type":"printResult","status":"error","message":"The selected printer is unavailable."})"},
        {PrintOutcome::UnknownStatus,
         R"({"type":"printResult","status":"error","message":"Print failed with unknown error."})"},
        {PrintOutcome::Failed,
         R"({"type":"printResult","status":"error","message":"Print failed. Please check your printer."})"},
    };
    for (const auto& [outcome, json] : cases) EXPECT_EQ(PrintResultJson(outcome), json);
}

TEST(OutcomeOfCompletionTest, FailureCodeWinsThenStatus) {
    const struct {
        long error;
        int status;
        PrintOutcome outcome;
    } cases[] = {
        {0, 0, PrintOutcome::Succeeded},         {0, 1, PrintOutcome::PrinterUnavailable},
        {0, 2, PrintOutcome::UnknownStatus},     {0, -1, PrintOutcome::UnknownStatus},
        {1, 0, PrintOutcome::Succeeded},  // S_FALSE is not a failure
        {-2147467259L, 0, PrintOutcome::Failed}, {-2147467259L, 1, PrintOutcome::Failed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutcomeOfCompletion(c.error, c.status), c.outcome) << c.error << "/" << c.status;
}

struct RequestRecorder {
    std::vector<std::string> posted;
    std::vector<std::wstring> jobs;
    std::function<void(PrintOutcome)> pendingDone;

    PrintRequestSteps Steps(std::wstring choice) {
        return {[choice] { return choice; },
                [this](const std::wstring& printer, std::function<void(PrintOutcome)> done) {
                    jobs.push_back(printer);
                    pendingDone = std::move(done);
                },
                [this](const std::string& json) { posted.push_back(json); }};
    }
};

TEST(RunPrintRequestTest, NoChoicePostsCancelledAndStartsNoJob) {
    RequestRecorder recorder;
    std::vector<std::string> lines;
    SetDebugSink([&lines](std::string_view line) { lines.emplace_back(line); });
    RunPrintRequest(recorder.Steps(L""));
    SetDebugSink({});
    EXPECT_TRUE(recorder.jobs.empty());
    EXPECT_EQ(recorder.posted, (std::vector<std::string>{R"({"type":"printResult","status":"cancelled"})"}));
    EXPECT_EQ(lines, (std::vector<std::string>{R"(printResult: {"type":"printResult","status":"cancelled"})"}));
}

TEST(RunPrintRequestTest, ChoiceStartsJobAndAnswersOnceWhenItCompletes) {
    RequestRecorder recorder;
    RunPrintRequest(recorder.Steps(L"Office"));
    EXPECT_EQ(recorder.jobs, (std::vector<std::wstring>{L"Office"}));
    EXPECT_TRUE(recorder.posted.empty());  // the answer waits for the job
    recorder.pendingDone(PrintOutcome::PrinterUnavailable);
    recorder.pendingDone(PrintOutcome::Succeeded);
    EXPECT_EQ(recorder.posted, (std::vector<std::string>{PrintResultJson(PrintOutcome::PrinterUnavailable)}));
}

// The picker's modal loop delivers the page's repeated requests: they open no
// second picker and get no answer; once the picker is closed a request counts again.
TEST(RunPrintRequestTest, RequestsWhileThePickerIsOpenChangeNothing) {
    RequestRecorder outer, inner;
    int pickers = 0;
    PrintRequestSteps steps = outer.Steps(L"");
    steps.selectPrinter = [&] {
        ++pickers;
        RunPrintRequest(inner.Steps(L"Office"));
        RunPrintRequest(inner.Steps(L"Office"));
        return std::wstring();
    };
    RunPrintRequest(steps);
    EXPECT_EQ(pickers, 1);
    EXPECT_TRUE(inner.jobs.empty());
    EXPECT_TRUE(inner.posted.empty());
    EXPECT_EQ(outer.posted, (std::vector<std::string>{PrintResultJson(PrintOutcome::Cancelled)}));

    RunPrintRequest(inner.Steps(L"Office"));
    EXPECT_EQ(inner.jobs, (std::vector<std::wstring>{L"Office"}));

    // A picker that throws still closes.
    PrintRequestSteps throwing = outer.Steps(L"");
    throwing.selectPrinter = []() -> std::wstring { throw std::runtime_error("picker failed"); };
    EXPECT_THROW(RunPrintRequest(throwing), std::runtime_error);
    RunPrintRequest(inner.Steps(L"Office"));
    EXPECT_EQ(inner.jobs.size(), 2u);
}

}  // namespace
}  // namespace pellaro::print
