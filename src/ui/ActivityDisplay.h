#pragma once
// The Spectrum window: one bar per memory channel that holds a signal, at
// the channel's frequency and as high as its last signal level, and a live
// bar for the frequency being listened to (drawn by the signal meter). The
// width of the range comes from a fixed table (WidthScrl); the range moves in
// half widths (CenterScrl). The plot is kept in twips on a 5500 x 5500 canvas
// (15 twips to the pixel): x 500..5500, baseline y 3000, 100 twips per level.
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>

#include "core/Channel.h"

class QLabel;
class QScrollBar;

namespace rigvane {

struct App;

class ActivityDisplay : public QWidget {
    Q_OBJECT
  public:
    explicit ActivityDisplay(App& app, QWidget* parent = nullptr);

    // Clears and redraws the whole plot.
    void DisplayAll();
    // One bar for the record's frequency, `level` steps high, in `colour`
    // (0x00BBGGRR: 255 red, 65280 green).
    void DisplayBar(const Channel& state, int level, uint32_t colour);
    void DisplayBar(int32_t frequency, int level, uint32_t colour);

    // Placement entry 1, in twips.
    void RestorePosition();
    void StorePosition();

    int WidthIndex() const { return widthIndex_; }
    int32_t StartFrequency() const { return start_; }
    int32_t EndFrequency() const { return end_; }
    int32_t Span() const;
    // The plot as drawn (1 pixel = 15 twips).
    const QImage& Plot() const { return plot_; }
    // Twips to a pixel of the plot.
    static int Pixel(int twips) { return twips / 15; }

    // Label texts of a frequency in 10 Hz units: "##0khz", "##0.0mhz", "0.0##ghz".
    static QString EdgeText(int64_t frequency);

    QScrollBar* WidthScrl() const { return widthScrl_; }
    QScrollBar* CenterScrl() const { return centerScrl_; }
    QLabel* BeginLbl() const { return beginLbl_; }
    QLabel* CenterLbl() const { return centerLbl_; }
    QLabel* EndLbl() const { return endLbl_; }
    QLabel* Statlbl() const { return statLbl_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void WidthChanged();
    void CenterChanged();
    void Line(int x1, int y1, int x2, int y2, uint32_t colour);

    App& app_;
    int widthIndex_ = 0;
    int32_t start_ = 0;
    int32_t end_ = 0;
    int32_t scale_ = 0; // 10 Hz units per twip
    bool loaded_ = false;

    QImage plot_;
    QWidget* canvas_ = nullptr;
    QScrollBar* widthScrl_ = nullptr;
    QScrollBar* centerScrl_ = nullptr;
    QLabel* beginLbl_ = nullptr;
    QLabel* centerLbl_ = nullptr;
    QLabel* endLbl_ = nullptr;
    QLabel* statLbl_ = nullptr;
    std::array<QLabel*, 2> label1_{};
};

} // namespace rigvane
