// SPDX-License-Identifier: MIT
#include "MainLayout.h"

#include <algorithm>
#include <cmath>

namespace Kestrin
{
namespace
{
// Pixel constants of the layout, in design pixels.
constexpr double LabelLeftPx = 10;
constexpr double RunWidthPx = 72;
constexpr double RunHeightPx = 24;
constexpr double EdgePx = 2;
constexpr double TabControlHeightPx = 185;
constexpr double FirstRowBelowTabsPx = 12;
constexpr double RowGapPx = 6;
constexpr double FrameWidthPx = 140;
constexpr double FrameHeightPx = 60;
constexpr double FrameInsetLeftPx = 6;
constexpr double FrameInsetTopPx = 16;
constexpr double FileNameWidthPx = 190;
// Twip constants of the layout.
constexpr double RunTopTw = 30;
constexpr double TabControlTopTw = 120;
constexpr double FieldRaiseTw = 30;
constexpr double FramesBelowRowsTw = 60;
constexpr double PanelMinWidthTw = 720;
} // namespace

MainLayout ComputeMainLayout(const MainLayoutInput& in)
{
    // Twips per design pixel.
    const double px = in.TwipsPerPixelX * in.DesignScaleX;
    const double py = in.TwipsPerPixelY * in.DesignScaleY;
    MainLayout out;

    out.tlSource.Left = LabelLeftPx * px;
    out.bbRun.Width = RunWidthPx * px;
    out.bbRun.Height = RunHeightPx * py;
    out.bbRun.Left = in.ScaleWidth - out.bbRun.Width - EdgePx * px;
    out.bbRun.Top = RunTopTw;
    out.ssMain = {EdgePx * px, TabControlTopTw, in.ScaleWidth - 2 * EdgePx * px,
                  TabControlHeightPx * py};

    auto& source = out.tlSource;
    source.Top = in.TabHeight + FirstRowBelowTabsPx * py;
    source.Width = source.Left + out.bbRun.Width;
    source.Height = in.FieldHeight;
    out.ucSource = {source.Left + source.Width, source.Top - FieldRaiseTw,
                    in.ScaleWidth - source.Width - 2.5 * source.Left, in.FieldHeight};

    out.tlTarget = {source.Left, source.Top + source.Height + RowGapPx * py, source.Width,
                    in.FieldHeight};
    out.ucTarget = {out.ucSource.Left, out.tlTarget.Top - FieldRaiseTw, out.ucSource.Width,
                    in.FieldHeight};
    out.tlDelimiter = {source.Left, out.tlTarget.Top + out.tlTarget.Height + RowGapPx * py,
                       source.Width, in.FieldHeight};
    out.tbDelimiter = {out.ucSource.Left, out.tlDelimiter.Top - FieldRaiseTw, out.ucSource.Width,
                       in.FieldHeight};

    out.fbTarget = {out.ucSource.Left,
                    out.tlDelimiter.Top + out.tlDelimiter.Height + FramesBelowRowsTw,
                    FrameWidthPx * px, FrameHeightPx * py};
    auto& first = out.obFileName[0];
    first.Left = FrameInsetLeftPx * px;
    first.Top = FrameInsetTopPx * py;
    first.Width = out.fbTarget.Width - 2 * first.Left;
    first.Height = source.Height;
    out.obFileName[1] = {first.Left, first.Top + first.Height, first.Width, first.Height};

    out.fbOptions = {out.ucTarget.Left + out.ucTarget.Width - out.fbTarget.Width, out.fbTarget.Top,
                     out.fbTarget.Width, out.fbTarget.Height};
    out.chSilent = first;
    out.chFileList = {out.chSilent.Left, out.chSilent.Top + out.chSilent.Height, out.chSilent.Width,
                      out.chSilent.Height};

    out.chFileName = {out.tlDelimiter.Left,
                      out.tlDelimiter.Top + out.tlDelimiter.Height + FramesBelowRowsTw,
                      FileNameWidthPx * px, out.tlDelimiter.Height};

    out.StatusHeight = in.FieldHeight;
    out.TotalMinWidth = PanelMinWidthTw;
    out.TimeMinWidth = PanelMinWidthTw;
    return out;
}

TwipRect ComputeProgressBar(const MainLayoutInput& in, double statusHeight, double infoLeft,
                            double infoWidth)
{
    const double top =
        std::nearbyint(std::max(0.0, in.ScaleHeight - statusHeight + 3 * in.TwipsPerPixelY));
    return {infoLeft + 2 * in.TwipsPerPixelX, top, infoWidth - 2 * in.TwipsPerPixelX,
            statusHeight - 5 * in.TwipsPerPixelY};
}

double MinimumScaleWidth(double twipsPerPixelX, double designScaleX)
{
    // Field width = client width - label width - 2.5 label offsets; both frames must
    // fit side by side within it.
    const double px = twipsPerPixelX * designScaleX;
    const double labelWidth = (LabelLeftPx + RunWidthPx) * px;
    return labelWidth + 2.5 * LabelLeftPx * px + 2 * FrameWidthPx * px;
}

double MinimumScaleHeight(const MainLayout& layout)
{
    const double framesBottom = layout.ssMain.Top + layout.fbTarget.Top + layout.fbTarget.Height;
    const double tabsBottom = layout.bbRun.Top + layout.bbRun.Height;
    return std::max(framesBottom, tabsBottom) + layout.StatusHeight;
}

double DesignScale(double fontUnit, double designUnit)
{
    return designUnit > 0 ? std::max(1.0, fontUnit / designUnit) : 1.0;
}

double ScaleToFit(double scale, double neededPixels, double roomDesignPixels)
{
    return roomDesignPixels > 0 ? std::max(scale, neededPixels / roomDesignPixels) : scale;
}

CaptionRooms DesignCaptionRooms()
{
    // One twip per pixel and a client wide enough: the widths come out in design pixels.
    MainLayoutInput in;
    in.TwipsPerPixelX = in.TwipsPerPixelY = 1;
    in.ScaleWidth = 10000;
    const MainLayout l = ComputeMainLayout(in);
    return {l.tlSource.Width, l.obFileName[0].Width, l.chFileName.Width, l.fbTarget.Width,
            l.bbRun.Width};
}
} // namespace Kestrin
