// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

#include <QElapsedTimer>
#include <QImage>

#include <vector>

namespace zephyl::glint {

/// The frame editor: one picture at the screen's size, drawn on with a pen or an eraser, text
/// laid on it, every step of the current edit undoable. Zoom enlarges it around its centre; the
/// grid shows its pixels. In preview mode it plays the animation's frames instead. A finished
/// stroke reports event 32; the right button reports event 5 (the page offers pen sizes and
/// zoom). Edits stay in the editor until SaveImageData writes them to the edit file.
class ImageView : public MControl {
public:
    static constexpr const char* kClassName = "ImageView";
    static constexpr int kDrawNone = 0;
    static constexpr int kDrawPen = 102;
    static constexpr int kDrawEraser = 111;

    ImageView(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// The picture's size in the editor (the screen's); a picture is fitted into it, whole and
    /// centred, when it is shown.
    void SetCanvasSize(const QSize& size);
    QSize GetCanvasSize() const;
    /// Shows `imageFile` (any picture format, whatever its name) with no edit pending; edits
    /// will be written to `editFile`. False, with a black canvas, when the file is no picture.
    bool SetImage(const QString& imageFile, const QString& editFile);
    /// Writes the edited picture to the edit file when there are edits; true when it wrote.
    bool SaveImageData();
    /// Writes the picture as shown to `path`, edits or not.
    bool SaveCurrentImage(const QString& path) const;
    QString GetEditImageFile() const;
    /// Whether the picture differs from the one last shown or saved.
    bool IsModified() const;
    /// Empty canvas, no file.
    void DeleteAllItems();

    void SetDrawMode(int mode);
    int GetDrawMode() const;
    /// Side of the pen and the eraser in picture pixels, at least 1.
    void SetPenSize(int size);
    int GetPenSize() const;
    /// 100 shows the picture as large as the control allows; more enlarges it.
    void SetScale100(int percent);
    int GetScale100() const;
    void SetFontSize(int size);
    int GetFontSize() const;
    void SetColorValue(std::uint32_t rgb);
    std::uint32_t GetColorValue() const;
    void SetGrid(bool shown);

    /// Lays `text` on the picture, centred, in the pen colour and font size. One edit step.
    void AddText(const QString& text);
    /// One stroke of the current draw mode through `points` (picture coordinates). One step.
    void Stroke(const std::vector<QPoint>& points);
    /// Undoes the last step of the current edit; false when there is none.
    bool RecoverCurEdit();
    /// Throws the whole current edit away.
    void ClearCurEdit();
    int UndoDepth() const;

    /// Plays these frames on the animation ticks instead of the picture; off shows the picture
    /// again.
    void SetImagePreviewMode(bool preview, std::vector<QString> frameFiles = {},
                             std::vector<int> delaysMs = {});
    bool IsPreviewMode() const;

    QImage GetImage() const;
    /// The picture coordinates under a widget point; window thread.
    QPoint ToPicture(const QPointF& point) const;

protected:
    void OnMTimer() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    /// Where the picture is drawn in the widget.
    QRectF CanvasRect() const;
    void PushUndoLocked();
    void PaintSegmentLocked(const QPoint& from, const QPoint& to);

    QSize m_canvasSize{128, 128};
    QImage m_image;
    QImage m_shown;  ///< the picture as shown or last saved: edits are measured against it
    std::vector<QImage> m_undo;
    QString m_editFile;
    int m_drawMode = kDrawNone;
    int m_penSize = 1;
    int m_scale = 100;
    int m_fontSize = 16;
    std::uint32_t m_colour = 0xFFFFFF;
    bool m_grid = false;
    bool m_preview = false;
    std::vector<QString> m_previewFiles;
    std::vector<int> m_previewDelays;

    // Window thread only.
    bool m_stroking = false;
    std::vector<QPoint> m_strokePoints;
    QElapsedTimer m_previewClock;
};

}  // namespace zephyl::glint
