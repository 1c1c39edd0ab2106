#include <gtest/gtest.h>

#include <functional>

#include "document/Listing.h"
#include "document/ListingBuilder.h"
#include "platform/NumberText.h"

namespace curvana {
namespace {

struct SettingsGuard {
    ~SettingsGuard() {
        SigDigits = 3;
        SetDecimalSeparator(".");
    }
};

struct Listed {
    Calibration calibration;
    std::vector<std::unique_ptr<TMarkerLine>> series;
    std::vector<std::unique_ptr<TMarker>> singles;

    Listed() {
        // A 100 x 100 box over 0..200 and 0..50, y upwards.
        calibration.corner[0] = {0, 100};
        calibration.corner[1] = {100, 100};
        calibration.corner[2] = {0, 0};
        calibration.corner[3] = {100, 0};
        calibration.XMax = 200;
        calibration.YMax = 50;
        for (int k = 0; k < 3; ++k) {
            series.push_back(std::make_unique<TMarkerLine>(TPoint{10 * k, 90}, TPoint{50, 10 * k}));
            series.back()->Name = "DataSeries " + std::to_string(k + 1);
            series.back()->InsertMarker({30, 30 + k}, 0, 1);  // between the two
        }
        AddSingle({50, 50});
    }
    void AddSingle(TPoint p) {
        singles.push_back(std::make_unique<TMarker>());
        singles.back()->SetPosition(p);
    }
    std::vector<std::string> Fresh() const { return ListingBuilder().Build(calibration, series, singles); }
};

TEST(ListingBuilderTest, ListsSeriesThenSingleMarkers) {
    Listed d;
    d.series.resize(1);
    EXPECT_EQ(d.Fresh(), (std::vector<std::string>{"DataSeries 1", "0 , 5", "60 , 35", "100 , 50", " ",
                                                   "Single Markers", "100 , 25"}));
}

TEST(ListingBuilderTest, KeptLinesAlwaysMatchAFreshBuild) {
    SettingsGuard guard;
    const struct {
        const char* change;
        std::function<void(Listed&)> apply;
    } changes[] = {
        {"nothing", [](Listed&) {}},
        {"a series marker moves",
         [](Listed& d) {
             d.series[1]->Marker(1).SetPosition({31, 33});
         }},
        {"a marker moves back",
         [](Listed& d) {
             d.series[1]->Marker(1).SetPosition({30, 31});
         }},
        {"a series is renamed", [](Listed& d) { d.series[0]->Name = "Pressure"; }},
        {"a point is added",
         [](Listed& d) {
             d.series[2]->InsertMarker({40, 40}, -1, 2);  // the last point
         }},
        {"the first series goes", [](Listed& d) { d.series.erase(d.series.begin()); }},
        {"a box corner moves",
         [](Listed& d) {
             d.calibration.corner[3] = {110, 0};
         }},
        {"a scale value changes", [](Listed& d) { d.calibration.XMax = 400; }},
        {"a scale value turns to -0", [](Listed& d) { d.calibration.XMin = -0.0; }},
        {"the plot type changes", [](Listed& d) { d.calibration.type = PlotType::LogLog; }},
        {"fewer digits", [](Listed&) { SigDigits = 2; }},
        {"another separator", [](Listed&) { SetDecimalSeparator(","); }},
        {"a single marker is added",
         [](Listed& d) {
             d.AddSingle({70, 20});
         }},
        {"the single markers go", [](Listed& d) { d.singles.clear(); }},
        {"a series is added",
         [](Listed& d) {
             d.series.push_back(std::make_unique<TMarkerLine>(TPoint{1, 2}, TPoint{3, 4}));
             d.series.back()->Name = "DataSeries 9";
         }},
    };
    Listed d;
    ListingBuilder kept;
    for (const auto& c : changes) {
        c.apply(d);
        EXPECT_EQ(kept.Build(d.calibration, d.series, d.singles), d.Fresh()) << c.change;
    }
}

}  // namespace
}  // namespace curvana
