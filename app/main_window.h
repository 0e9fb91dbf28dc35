// The program's one window: its eleven controls, two pop-up menus and the
// table that binds each control event to its handler.
#pragma once

#include <QWidget>
#include <memory>

class QCloseEvent;
class QMenu;

namespace app {

class main_window : public QWidget {
public:
    main_window();
    ~main_window() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_controls();
    void build_menus();
    void bind_events();

    QMenu* save_menu_ = nullptr;
    QMenu* hit_menu_ = nullptr;
};

// Creates the window hidden and centred, binds the window services to it and
// raises its created event. Null when the window cannot be made.
std::unique_ptr<main_window> load_main_window();

// Shows the window and hands the focus to its first control (编辑框1).
void show_main_window(main_window& window);

}  // namespace app
