#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/Conversion.h"

namespace curvana {

// The program-wide number of significant digits in the data listing. Starts at 3; the settings
// store may hold any number, so FloatToSigStr uses it clamped to 1..10.
extern std::int32_t SigDigits;

// A number as the data listing shows it, with SigDigits significant digits:
// 0 as "0"; from 0.01 up to (not including) 10^digits the general text cut after `digits` digits
// ("123.456" → "123", "0.123456" → "0.12"; cut, not rounded); outside that range rounded to at
// least two significant digits in exponent form ("1.23E+003", "-9.99E-003").
// NaN and infinities come out as FloatToStr writes them.
std::string FloatToSigStr(double value);

// One line of the data listing: "X , Y".
std::string ListingLine(const TDataPoint& p);

// The text control that shows the listing, line by line.
class LineSink {
  public:
    virtual ~LineSink();
    virtual int Count() const = 0;
    virtual std::string Line(int i) const = 0;
    virtual void Replace(int i, const std::string& text) = 0;
    virtual void InsertBefore(int i, const std::string& text) = 0;
    virtual void Append(const std::string& text) = 0;
    virtual void Delete(int i) = 0;
    virtual void Clear() = 0;
};

// A LineSink over a vector, counting what was done to it.
class VectorLineSink : public LineSink {
  public:
    std::vector<std::string> lines;
    int replaced = 0;
    int inserted = 0;
    int appended = 0;
    int deleted = 0;
    int cleared = 0;

    VectorLineSink() = default;
    explicit VectorLineSink(std::vector<std::string> initial) : lines(std::move(initial)) {}

    int Count() const override;
    std::string Line(int i) const override;
    void Replace(int i, const std::string& text) override;
    void InsertBefore(int i, const std::string& text) override;
    void Append(const std::string& text) override;
    void Delete(int i) override;
    void Clear() override;
    void ResetCounts();
};

// How MergeListing treats a line that differs from the shown one. The callers pass the numbers.
enum ListingMode : int {
    LinePlace = 0,    // replace the shown line
    LineReplace = 1,  // the same as LinePlace
    LineInsert = 2,   // insert the new line before the shown one (a marker was added in between)
};

// Brings the shown listing `memo` up to `lines`, touching only the lines that differ, so the
// control keeps its scroll position and selection where nothing changed. Line i that differs is
// replaced (modes 0, 1) or gets the new line inserted before it (mode 2); any other mode leaves it.
// Missing lines are appended and surplus lines at the end deleted.
void MergeListing(LineSink& memo, const std::vector<std::string>& lines, int mode);

}  // namespace curvana
