#include "document/History.h"

namespace curvana {

void History::Record(HistoryStep step) {
    const auto* move = std::get_if<edit::Move>(&step.Change);
    if (move && move->Nudge && mergeOpen_ && position_ == steps_.size() && position_ > 0 &&
        clean_ != position_) {
        auto* last = std::get_if<edit::Move>(&steps_.back().Change);
        if (last && last->Nudge && last->Index == move->Index && last->To == move->From) {
            last->To = move->To;
            // Nudged back to where the run began: nothing is left to undo.
            if (last->To == last->From) {
                steps_.pop_back();
                --position_;
                mergeOpen_ = false;
            }
            return;
        }
    }
    steps_.erase(steps_.begin() + std::ptrdiff_t(position_), steps_.end());
    if (clean_ != kNoPosition && clean_ > position_)
        clean_ = kNoPosition;  // that state can no longer come back
    steps_.push_back(std::move(step));
    ++position_;
    while (steps_.size() > limit_) {
        steps_.pop_front();
        --position_;
        if (clean_ != kNoPosition) clean_ = clean_ == 0 ? kNoPosition : clean_ - 1;
    }
    mergeOpen_ = move && move->Nudge;
}

const HistoryStep& History::StepBack() {
    mergeOpen_ = false;
    return steps_[--position_];
}

const HistoryStep& History::StepForward() {
    mergeOpen_ = false;
    return steps_[position_++];
}

void History::MarkClean() {
    clean_ = position_;
    mergeOpen_ = false;
}

void History::Clear() {
    steps_.clear();
    position_ = clean_ = 0;
    mergeOpen_ = false;
}

std::size_t History::MemoryUse() const {
    std::size_t bytes = sizeof(*this);
    for (const HistoryStep& step : steps_) {
        bytes += sizeof(step) + step.Name.capacity();
        std::visit(
            [&bytes](const auto& c) {
                using T = std::decay_t<decltype(c)>;
                if constexpr (std::is_same_v<T, edit::Series>)
                    bytes += c.Name.capacity() + c.Points.capacity() * sizeof(MarkerValues) +
                             c.Positions.capacity() * sizeof(std::int32_t);
                else if constexpr (std::is_same_v<T, edit::AllSingles>)
                    bytes += c.Values.capacity() * sizeof(MarkerValues) +
                             c.Positions.capacity() * sizeof(std::int32_t);
                else if constexpr (std::is_same_v<T, edit::Rename>)
                    bytes += c.From.capacity() + c.To.capacity();
            },
            step.Change);
    }
    return bytes;
}

}  // namespace curvana
