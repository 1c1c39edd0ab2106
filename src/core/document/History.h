#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <variant>
#include <vector>

#include "document/Conversion.h"
#include "platform/Color.h"
#include "platform/Point.h"

namespace curvana {

// The values of one point marker.
struct MarkerValues {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    TColor Color = clBlack;
    bool operator==(const MarkerValues&) const = default;
};

// The changes a document records, each as what it was and what it became, so that it can be
// undone and done again exactly. Positions are MarkerList positions; a series is -1 for the single
// markers.
namespace edit {

// A data series comes (Added) or goes at Index; Positions are where its marker objects stand in
// MarkerList while it is there, in its slot order.
struct Series {
    bool Added = true;
    int Index = 0;
    std::string Name;
    TColor Color = clBlack;
    std::vector<MarkerValues> Points;
    std::vector<std::int32_t> Positions;
};

// A point comes (Added) or goes at Slot of a series' chain, or of the single markers'. The marker
// object that comes or goes with it (always the chain's last) stands at MarkerList Position.
struct Point {
    bool Added = true;
    int Series = -1;
    int Slot = 0;
    MarkerValues Value;
    std::int32_t Position = 0;
};

// Every single marker goes at once.
struct AllSingles {
    std::vector<MarkerValues> Values;
    std::vector<std::int32_t> Positions;
};

// A marker or box corner moves. Nudges of one marker in a row merge into one change.
struct Move {
    std::int32_t Index = 0;
    TPoint From, To;
    bool Nudge = false;
};

// One of the four scale values (1 X minimum, 2 X maximum, 3 Y minimum, 4 Y maximum).
struct Scale {
    int Tag = 1;
    double From = 0, To = 0;
};

struct Rename {
    int Series = 0;
    std::string From, To;
};

// The colour of a series (Series >= 0) or of a single marker (Single).
struct Recolor {
    int Series = -1;
    int Single = -1;
    TColor From = clBlack, To = clBlack;
};

// The whole calibration: box corners 1 to 4, the four scale values and the method.
struct Calibrate {
    TPoint FromCorners[4], ToCorners[4];
    double FromScale[4] = {0, 0, 0, 0}, ToScale[4] = {0, 0, 0, 0};
    CalibrationMethod FromMethod = CalibrationMethod::Bilinear, ToMethod = CalibrationMethod::Bilinear;
};

using Change = std::variant<Series, Point, AllSingles, Move, Scale, Rename, Recolor, Calibrate>;

}  // namespace edit

// One recorded change with the name the Edit menu gives it ("Move Marker").
struct HistoryStep {
    std::string Name;
    edit::Change Change;
};

// A document's undo history: the changes made, the position between those done and those undone,
// and the position at which the document was last opened or saved.
class History {
  public:
    static constexpr std::size_t kDefaultLimit = 1000;

    explicit History(std::size_t limit = kDefaultLimit) : limit_(limit < 1 ? 1 : limit) {}

    // Records a change just made: the undone ones are dropped, and beyond the limit the oldest. A
    // nudge of the marker the last change nudged, with nothing between, extends that change.
    void Record(HistoryStep step);
    // Ends the current run of nudges: the next one is a change of its own.
    void BreakMerge() { mergeOpen_ = false; }

    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < steps_.size(); }
    // The change the next undo or redo reverses or makes again; only when there is one.
    const HistoryStep& NextUndo() const { return steps_[position_ - 1]; }
    const HistoryStep& NextRedo() const { return steps_[position_]; }
    // Moves the position over the next change to undo or redo and gives it.
    const HistoryStep& StepBack();
    const HistoryStep& StepForward();

    // The document as it is now is the one in its file.
    void MarkClean();
    // No position matches a file (a document never saved, or one whose saved state was dropped).
    void MarkNeverClean() { clean_ = kNoPosition; }
    bool AtClean() const { return clean_ == position_; }
    // An empty history whose start matches the file.
    void Clear();

    std::size_t Count() const { return steps_.size(); }
    std::size_t Position() const { return position_; }
    // The memory the recorded changes take, roughly, in bytes.
    std::size_t MemoryUse() const;

  private:
    static constexpr std::size_t kNoPosition = ~std::size_t(0);

    std::deque<HistoryStep> steps_;
    std::size_t position_ = 0;
    std::size_t clean_ = 0;
    std::size_t limit_;
    bool mergeOpen_ = false;
};

}  // namespace curvana
