#pragma once
#include "app/StripControls.h"
#include "app/StripServices.h"
#include "app/TrackingRules.h"
#include "platform/MessageDispatcher.h"
#include "settings/StripSettings.h"
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QMenu;
class QActionGroup;

namespace zrm58 {

class StripMenu;

// The strip: a frameless, per-pixel translucent window holding one line of text, the menu button
// and the load glyph. Everything inside the 5-pixel margin is laid out in a logical box
// (ScaledLayout1, design 515 x 33) that is drawn scaled into the margin's inside, axis by axis.
class TForm1 : public QWidget, public MessageHandler {
    Q_OBJECT
public:
    explicit TForm1(const StripServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    // Creation handler: settings read and applied, then the size guard once. Throws the settings
    // reader's ConversionError on a stored colour that does not convert.
    void FormCreate();
    // Saves every setting; throws SettingsFileError when the file cannot be read or written.
    void WriteIniFile();
    // Shows the strip where the settings put it, centred when nothing moved it since creation.
    void showFirst();

    // The tick: date, memory and processor texts, then the line and the glyph.
    void Timer1Timer();
    void UpdateDateInfo();
    void UpdateMemoryInfo();
    void UpdateCpuInfo();

    // Appearance steps (the start sequence and the re-application after the settings window).
    void UpdateBackground();
    void applyStartWidth();
    void applyDialogWidth();
    void applyBold();
    void applyTextColours();
    void applyWindowStyle();
    void applyTaskBar();
    void applyFontFamily();
    void applyShadow(bool enabled);
    // At a start without a settings file: widens the strip, as a width factor chosen in the
    // settings window would, when the line does not fit on one line at the default width.
    void fitFirstLine();
    // The width, in the layout box's logical units, that `text` takes on one line in Label1's
    // font.
    qreal lineWidth(const QString& text) const;

    // Interaction.
    void SpeedButton1Click();
    void ResizeCmdExecute();
    void SetCmdExecute();
    void CloseCmdExecute();
    void FormResize();
    // Gives the window a size as the size guard leaves it: the window is never asked for a size
    // it cannot show (zero or below unmaps it on X).
    void resizeGuarded(int w, int h);
    bool resizeMode() const;
    // The menu's top-left corner in screen coordinates: the menu button's bottom-left corner.
    QPoint menuAnchor() const;
    // The button's menu, made at its first use: its style sheet and pictures cost about 0.7 MiB
    // that a strip whose menu is never opened need not carry.
    StripMenu* menu();
    // Brings the strip back onto a screen when too little of it lies on any (a monitor was
    // unplugged, the resolution lowered). True when it had to move.
    bool ensureOnScreen();

    // The session-end query delivered by the message dispatcher: saves the settings. A failed
    // save is written to standard error; nothing else is disturbed.
    void WMQueryEndSession(MessageRecord& message);

protected:
    const Table& messageTable() const override;

public:
    // Geometry of the logical box inside the margin.
    QRectF layoutRect() const;                   // in window coordinates
    QPointF toLayout(QPointF windowPoint) const; // window -> logical box
    QPointF fromLayout(QPointF layoutPoint) const;
    QRectF speedButtonRect() const; // in logical coordinates
    QRectF label1Rect() const;
    QRectF label2Rect() const;
    // The window area that changes when Label1's text becomes `next`: the changed glyphs and
    // their shadow's reach, or the whole window when the line is not one line of the same font.
    QRect lineChangeArea(const QString& next);

    // --- Fields (public so that the settings window and the tests can reach them) ---
    QString dateInfo, cpuInfo, memoryInfo, CpuBusyInfo;
    bool isGazou = false;
    bool isGradient = false;
    bool isBold = false;
    bool IsTop = false;
    bool isShowTask = true;
    bool isShadow = true;
    QString GazouFile;
    std::int32_t Direction = 0;
    QRgb FontColor = 0xFF000000;
    QRgb BC0 = 0xFFDCDCDC;
    QRgb BC1 = 0xFFDCDCDC;
    QString HomePath;
    QString DateFormatStr;
    QString SepStr;
    std::int32_t OriginalWidth = 515;
    double MuWidth = 1.0;
    QString FontFamilyName = QStringLiteral("Segoe UI");

    // --- Controls ---
    TRectangle Rectangle1;
    TScaledLayout ScaledLayout1;
    TLabel Label1;
    TLabel Label2;
    TLabel SpeedButton1;
    TShadowEffect ShadowEffect1;
    TTimer* Timer1 = nullptr;

signals:
    void ticked();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void ReadIniFile();
    void applySetting(SettingKey key, const SettingValue& value);
    StripSettings collectSettings();
    void ScaledLayout1MouseDown(QPointF windowPos);
    void ScaledLayout1MouseUp();
    // The pointer in window coordinates, measured alike for presses, moves and releases.
    QPointF windowPoint(const QMouseEvent& e) const;
    void updateShape();
    void followCompositor(bool active);
    void invalidateBackground();

    const StripServices& services_;
    StripMenu* menu_ = nullptr;
    enum class Tracking { None, Moving, Resizing, ButtonPress } tracking_ = Tracking::None;
    QPointF pressPoint_;     // move tracking: the press point in window coordinates
    QPointF lastPoint_;      // resize tracking: the last pointer position in window coordinates
    tracking::Size working_; // resize tracking: unbounded, the guard applies to the window only
    bool movedSinceCreation_ = false;
    bool fitPending_ = false; // started without a settings file; the first line not yet fitted
    bool compositing_ = true;
    bool shownOnce_ = false;
    QImage backgroundCache_; // Rectangle1 as drawn at the current size; rebuilt when it changes
    // Whether a failed read of the memory figures, of the processor counters, was reported: the
    // pieces show the figures of a failed read at every tick, standard error hears it once.
    bool memoryFailureSaid_ = false;
    bool cpuFailureSaid_ = false;
};

// The one strip window of the process.
extern TForm1* Form1;

} // namespace zrm58
