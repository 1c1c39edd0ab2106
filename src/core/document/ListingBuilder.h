#pragma once

#include <memory>
#include <string>
#include <vector>

#include "document/Conversion.h"
#include "markers/TMarker.h"
#include "markers/TMarkerLine.h"

namespace curvana {

// Builds the data listing: for each series its name, a line per marker and a line holding one
// space; then, when there are any, "Single Markers" and a line per single marker.
//
// The lines of each series (and of the single markers) are kept from one build to the next and
// made again only when that series' name or markers, the calibration, SigDigits or the decimal
// separator differ from last time. Dragging one marker of a thousand then formats a hundred lines,
// not a thousand, and the result is the same as building everything anew.
class ListingBuilder {
  public:
    std::vector<std::string> Build(const Calibration& calibration,
                                   const std::vector<std::unique_ptr<TMarkerLine>>& series,
                                   const std::vector<std::unique_ptr<TMarker>>& singles);

  private:
    struct Block {
        std::string name;
        std::vector<TPoint> points;
        std::vector<std::string> lines;
        bool made = false;
    };
    bool SameSettings(const Calibration& calibration) const;
    void Update(Block& block, const std::string& name, const std::vector<TPoint>& points,
                const Calibration& calibration, bool reuse);

    Calibration calibration_;
    int digits_ = 0;
    std::string separator_;
    std::vector<Block> series_;
    Block singles_;
};

}  // namespace curvana
