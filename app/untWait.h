#pragma once
// "Bitte warten ...": a notice on the operator's screen while a page of the text screen
// covers the display.
#include <QWidget>

namespace kyomat {

class TfrmWait : public QWidget {
    Q_OBJECT
public:
    explicit TfrmWait(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace kyomat
