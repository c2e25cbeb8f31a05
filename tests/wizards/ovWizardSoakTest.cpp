// A crash soak through the screens: whole contact-wizard journeys, two programs at a
// time on one store, killed with SIGKILL at random moments (while the store opens, while
// keys are typed, in the middle of the commit). Every commit whose info display said it
// was saved is in the store afterwards, and the store is whole. ORVIDA_SOAK_RUNS sets the
// number of journeys (60 by default).
#include "wizards/ovWizardDriver.h"

#include "pickers/ovInfoDisplay.h"
#include "support/ovCrashSoak.h"
#include "wizards/ovContactSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A name of letters only, as the name keyboard types it: "soak " and i in base 26.
std::string soakName(int i) {
    std::string letters;
    do {
        letters.insert(letters.begin(), static_cast<char>('a' + i % 26));
        i /= 26;
    } while (i > 0);
    return "soak " + letters;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// The journey in a child process; 0 when the info display said the contact was saved.
[[noreturn]] void journey(const std::string& folder, const std::string& name) {
    ovWizardDriver d(240, 320, {}, folder);
    d.startWizard(u"New Contact");
    d.type(name);
    d.ok();
    if (d.current() != ovContactSystem::instance()->hub)
        _exit(3);
    d.tapChild(u"FINISH");
    auto* display = dynamic_cast<ovInfoDisplay*>(d.current());
    _exit(display != nullptr && !display->failed() ? 0 : 1);
}

} // namespace

TEST(WizardSoak, CommitsKilledAtRandomMomentsLoseNoConfirmedSaveAndLeaveTheStoreWhole) {
    const char* runsText = std::getenv("ORVIDA_SOAK_RUNS");
    const int runs = runsText != nullptr ? std::max(2, std::atoi(runsText) / 10) : 60;
    std::string pattern = (fs::temp_directory_path() / "ovWizardSoak-XXXXXX").string();
    const std::string folder = mkdtemp(pattern.data());

    // How long one journey takes here, so that the kills spread over the whole of it.
    const auto began = std::chrono::steady_clock::now();
    const pid_t timed = fork();
    ASSERT_GE(timed, 0);
    if (timed == 0)
        journey(folder, soakName(0));
    int status = 0;
    ASSERT_EQ(waitpid(timed, &status, 0), timed);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a journey on its own did not save";
    const int span = static_cast<int>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began)
            .count());
    std::mt19937 random(1209);
    // Two at a time; three in four die somewhere in their journey.
    const ovSoakOutcome soak = ovRunKilledAtRandom({runs - 1, 2, 0.75, span}, random,
                                                   [&](int i) -> int { journey(folder, soakName(i + 1)); });
    std::set<std::string> confirmed{soakName(0)};
    for (int i : soak.confirmed)
        confirmed.insert(soakName(i + 1));

    ovWizardDriver reader(240, 320, {}, folder);
    const std::string listed = lower(reader.list("contacts"));
    for (const std::string& name : confirmed)
        EXPECT_NE(listed.find("\"fileas\":\"" + name + "\""), std::string::npos) << name;
    EXPECT_EQ(ovIntegrityOf(folder + "/orvida.sqlite"), "ok");
    EXPECT_EQ(soak.failed, 0) << "commits that reported a failure without a kill";
    std::printf("wizard soak: %d journeys of about %d ms, %d killed, %zu confirmed saves, all present\n",
                runs, span / 1000, soak.kills, confirmed.size());
    fs::remove_all(folder);
}
