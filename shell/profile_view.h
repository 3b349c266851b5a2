#pragma once

// The canal's longitudinal profile under the canal window's tables: the bed, the design and
// the 加大 water levels and the bank top along the stations, a polyline each, stepping at the
// junctions where the levels step; the control points as the levels they require. Painted from
// the profile's result alone, with one mapping from (station, level) to the widget's pixels.

#include <QWidget>

namespace lintavo {

struct CanalProfile;

class ProfileView : public QWidget {
    Q_OBJECT

  public:
    explicit ProfileView(QWidget* parent = nullptr);

    // Shows `profile`, which must outlive the view or be replaced before it goes.
    void show(const CanalProfile* profile);
    QSize sizeHint() const override { return {720, 240}; }
    QSize minimumSizeHint() const override { return {320, 140}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const CanalProfile* profile_ = nullptr;
};

}  // namespace lintavo
