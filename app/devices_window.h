#pragma once
// The mat's devices, on the operator's screen: a pairing code with its QR code for a new
// remote and the role it will have, the paired remotes with their role, last contact and
// delay (each removable at once), and the table check that lights the button pressed on any
// remote or gamepad instead of applying it.
#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>

#include "live/core/qr_code.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace kyomat {

class RemoteInput;
struct TableCheck;

// A QR code drawn in black on white with its quiet zone.
class QrView : public QWidget {
  public:
    explicit QrView(QWidget* parent) : QWidget(parent) {}
    void set_text(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QrCode code_;
};

class DevicesWindow : public QDialog {
  public:
    // remote may be nullptr (gamepads only): then no pairing. controllers: the connected
    // gamepads' names, listed with the remotes.
    DevicesWindow(RemoteInput* remote, TableCheck& check, QString address,
                  std::function<QStringList()> controllers, QWidget* parent);
    ~DevicesWindow() override;
    DevicesWindow(const DevicesWindow&) = delete;
    DevicesWindow& operator=(const DevicesWindow&) = delete;
    // The list and the code's time anew.
    void refresh();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void show_code();
    void lit(const QString& device, const QString& what);

    RemoteInput* remote_;
    TableCheck& check_;
    QString address_;
    std::function<QStringList()> controllers_;
    QComboBox* role_ = nullptr;
    QLabel* code_ = nullptr;
    QLabel* valid_ = nullptr;
    QLabel* where_ = nullptr;
    QrView* qr_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* probe_ = nullptr;
    QTimer tick_;
    QTimer unlight_;
};

}  // namespace kyomat
