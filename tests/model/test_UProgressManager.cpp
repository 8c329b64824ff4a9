#include "model/UConvertHelp.h"
#include "model/UProgressManager.h"
#include "model/UScanProgress.h"

#include <gtest/gtest.h>

#include <limits>

using namespace model;

namespace {

class TFakeGauge : public TProgressView {
public:
    void SetGaugeMax(int max) override { GaugeMax = max; }
    void SetPosition(int position) override {
        Position = position;
        ++Shows;
    }
    void Pump() override { ++Pumps; }
    [[nodiscard]] bool Cancelled() const override { return CancelFlag; }
    void SetResult(int result) override { Result = result; }
    int GaugeMax = 100, Position = -1, Shows = 0, Pumps = 0, Result = 2;
    bool CancelFlag = false;
};

// A manager whose clock the test moves.
class TTimedManager : public TProgressManager {
public:
    TClock::time_point Clock{};

protected:
    [[nodiscard]] TClock::time_point Now() const override { return Clock; }
};

} // namespace

TEST(ProgressManager, MaxOfZeroOrLessShowsFullAtOnce) {
    for (std::int64_t max : {0LL, -5LL}) {
        TFakeGauge gauge;
        TProgressManager m;
        m.SetForm(&gauge);
        m.SetMax(max);
        EXPECT_EQ(gauge.GaugeMax, 1000);
        EXPECT_EQ(m.Max(), 1);
        m.Step();
        EXPECT_EQ(gauge.Position, 1000);
    }
}

TEST(ProgressManager, MoreStepsThanMaxStayFull) {
    TFakeGauge gauge;
    TProgressManager m;
    m.SetForm(&gauge);
    m.SetMax(3);
    for (int i = 0; i < 10; ++i)
        m.Step();
    EXPECT_EQ(m.Position(), 3);
    EXPECT_EQ(gauge.Position, 1000);
}

TEST(ProgressManager, HugeMaxDoesNotOverflow) {
    TFakeGauge gauge;
    TProgressManager m;
    m.SetForm(&gauge);
    m.SetMax(std::numeric_limits<std::int64_t>::max());
    m.Step();
    EXPECT_EQ(m.GaugePosition(), 0);
}

TEST(ProgressManager, CancelledIsFalseWithoutAWindow) {
    TFakeGauge gauge;
    gauge.CancelFlag = true;
    TProgressManager m;
    m.SetForm(&gauge);
    EXPECT_TRUE(m.Cancelled());
    m.SetForm(nullptr);
    EXPECT_FALSE(m.Cancelled());
    m.SetMax(10);
    m.Step(); // counted, shown nowhere
    EXPECT_EQ(m.Position(), 1);
    m.SetResult(1);
    EXPECT_EQ(gauge.Result, 2);
}

TEST(ProgressManager, AMillionStepsShowAThousandTimes) {
    TFakeGauge gauge;
    TTimedManager m;
    m.SetForm(&gauge);
    m.SetMax(1000000);
    gauge.Shows = 0;
    for (int i = 0; i < 1000000; ++i)
        m.Step();
    EXPECT_EQ(gauge.Shows, 1000);
    EXPECT_EQ(gauge.Pumps, 0); // the clock stood still
}

TEST(ProgressManager, SlowStepsStillPump) {
    TFakeGauge gauge;
    TTimedManager m;
    m.SetForm(&gauge);
    m.SetMax(1000000000);
    gauge.Shows = 0;
    for (int i = 0; i < 100; ++i) {
        m.Clock += std::chrono::milliseconds(5);
        m.Step();
    }
    EXPECT_EQ(gauge.Shows, 0);
    EXPECT_EQ(gauge.Pumps, 50); // every second step: 10 ms apart
}

namespace {
class TTimedScan : public TScanProgress {
public:
    TClock::time_point Clock{};
    int Refreshes = 0;
    std::string Shown;

protected:
    [[nodiscard]] TClock::time_point Now() const override { return Clock; }
    void ShowLabels() override { ++Refreshes; }
    void ShowCaption(const std::string& caption) override { Shown = caption; }
};
} // namespace

TEST(ScanProgress, LabelsRefreshAtMostEvery43Ms) {
    TTimedScan s;
    s.Execute("/data/", [&] {
        const int atStart = s.Refreshes;
        for (int i = 0; i < 1000; ++i) {
            s.Clock += std::chrono::milliseconds(1);
            s.SetFolder("/data/" + std::to_string(i));
        }
        EXPECT_EQ(s.Refreshes - atStart, 1000 / 44);
        EXPECT_EQ(s.CurrentFolder(), "/data/999");
        // A long path is shortened when it is shown; between refreshes it is not even looked at.
        std::string longPath = "/data";
        for (int i = 0; i < 30; ++i)
            longPath += "/folder" + std::to_string(i);
        s.SetFolderPath(longPath + "/");
        EXPECT_EQ(s.CurrentFolder(), "/data/999");
        s.Clock += std::chrono::milliseconds(50);
        s.SetFolderPath(longPath + "/");
        EXPECT_EQ(s.CurrentFolder(), ShortenPath(longPath + "/", 100));
        EXPECT_LE(s.CurrentFolder().size(), 100u);
    });
}

TEST(ScanProgress, CaptionsAndTotals) {
    TTimedScan s;
    std::string during;
    s.Execute("/data/", [&] {
        during = s.Shown;
        EXPECT_TRUE(s.Running());
        s.AddFile(56000);
        for (int i = 0; i < 1233; ++i)
            s.AddFile(i == 0 ? 789 : 0);
    });
    EXPECT_EQ(during, "Exploring /data/ ...");
    EXPECT_FALSE(s.Running());
    SetFormatSettings(TFormatSettings{",", "."});
    EXPECT_EQ(s.TotalText(), "1,234 files     56,789 bytes");
    s.ExecutePreferred("", [&] { s.SetItemName("/home/"); });
    EXPECT_EQ(s.Shown, "Auto-Exploring Preferred Item: /home/ ...");
    EXPECT_EQ(s.FilesFound(), 0); // a new run starts from nothing
}
