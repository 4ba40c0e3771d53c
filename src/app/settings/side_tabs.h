#pragma once
// Tabs down the left side of a window, their captions written across.
#include <QTabBar>
#include <QTabWidget>

namespace vorelux::app {

// Tabs down the left side with their captions written across.
class SideTabBar final : public QTabBar {
  public:
    explicit SideTabBar(QWidget* parent = nullptr);

  protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
};

// A tab widget with its tabs down the left side.
class SideTabWidget final : public QTabWidget {
  public:
    explicit SideTabWidget(QWidget* parent = nullptr);
};

} // namespace vorelux::app
