// The shared table of print results (tests/shared/print_results.json),
// which the Windows edition's end-to-end test under Wine reads as well: every
// case through the request flow and the completion mapping this edition uses.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "print/print_request.h"
#include "print/print_result.h"

namespace pellaro::print {
namespace {

using Json = nlohmann::json;

Json Cases() {
    std::ifstream in(PELLARO_PRINT_RESULT_CASES);
    return Json::parse(in).at("cases");
}

const std::map<std::string, PrintOutcome> kOutcomes = {
    {"Cancelled", PrintOutcome::Cancelled},
    {"NoPrintEnvironment", PrintOutcome::NoPrintEnvironment},
    {"SettingsFailed", PrintOutcome::SettingsFailed},
    {"PrinterNameFailed", PrintOutcome::PrinterNameFailed},
    {"PrintApiMissing", PrintOutcome::PrintApiMissing},
    {"Succeeded", PrintOutcome::Succeeded},
    {"PrinterUnavailable", PrintOutcome::PrinterUnavailable},
    {"UnknownStatus", PrintOutcome::UnknownStatus},
    {"Failed", PrintOutcome::Failed},
};

TEST(PrintResultsTable, EveryCasePostsItsExactMessage) {
    const Json cases = Cases();
    ASSERT_FALSE(cases.empty());
    std::map<std::string, bool> outcomesSeen;
    for (const Json& c : cases) {
        SCOPED_TRACE(c.at("id").get<std::string>());
        const PrintOutcome named = kOutcomes.at(c.at("outcome").get<std::string>());
        outcomesSeen[c.at("outcome").get<std::string>()] = true;
        const Json runtime = c.value("runtime", Json::object());
        PrintOutcome outcome = named;
        if (runtime.contains("completion")) {
            const Json& completion = runtime.at("completion");
            // HRESULTs are 32-bit: 0x80070005 is negative.
            const auto code = static_cast<std::int32_t>(
                std::stoul(completion.at("errorCode").get<std::string>(), nullptr, 16));
            outcome = OutcomeOfCompletion(code, completion.at("status").get<int>());
            EXPECT_EQ(outcome, named);
        }
        std::vector<std::string> posted;
        std::vector<std::wstring> jobs;
        RunPrintRequest({
            .selectPrinter = [&] { return c.at("picker") == "escape" ? std::wstring() : std::wstring(L"Office"); },
            .startJob =
                [&](const std::wstring& printer, std::function<void(PrintOutcome)> done) {
                    jobs.push_back(printer);
                    done(outcome);
                },
            .post = [&](const std::string& json) { posted.push_back(json); },
        });
        EXPECT_EQ(posted, std::vector<std::string>{c.at("message").get<std::string>()});
        EXPECT_EQ(jobs.size(), c.at("picker") == "escape" ? 0u : 1u);
    }
    EXPECT_EQ(outcomesSeen.size(), kOutcomes.size()) << "an outcome has no case in the table";
}

}  // namespace
}  // namespace pellaro::print
