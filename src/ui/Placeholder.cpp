// The desktop windows are built in this folder.
namespace volmar::ui {
int placeholder() { return 0; }
}  // namespace volmar::ui
