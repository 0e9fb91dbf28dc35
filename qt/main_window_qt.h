// The program's window on Qt Widgets: the form's eleven controls and two
// pop-up menus, and the events bound to the program's handlers.
#pragma once

#include <QWidget>
#include <memory>

class QCloseEvent;

namespace app {

class main_window : public QWidget {
public:
    main_window();
    ~main_window() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build_controls();
    void build_menus();
    void bind_events();
};

// Creates the window hidden and centred, binds the window services to it and
// raises its created event. Null when the window cannot be made.
std::unique_ptr<main_window> load_main_window();

// Shows the window and hands the focus to its first control (编辑框1).
void show_main_window(main_window& window);

}  // namespace app
