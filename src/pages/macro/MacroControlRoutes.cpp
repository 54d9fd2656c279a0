// The routes of the macro page's controls and its row menu. The device page that holds the
// macro page registers them in its own route table, so they run only while its device is the
// selected one.
#include <QCheckBox>
#include <QCursor>
#include <QListWidget>
#include <QMenu>

#include "pages/macro/MacroControlUI.h"
#include "ui/LanguageStore.h"

namespace orlo {
namespace {

// The row menu's items in their groups; each item's text id is its name.
constexpr const char* kRecordItems[] = {
    "redio_previous_record_time", "redio_previous_constant_time", "redio_previous_ignore_time",
    "redio_later_record_time",    "redio_later_constant_time",    "redio_later_ignore_time",
};
constexpr const char* kButtonItems[] = {
    "left_down",   "left_up",   "left_click",   "middle_down",  "middle_up",
    "middle_click", "right_down", "right_up",   "right_click",  "forward_down",
    "forward_up",  "forward_click", "back_down", "back_up",     "back_click",
};

}  // namespace

void CMacroControlUI::OpenRowMenu() {
  if (SelectedRow() < 0 || IsRecording()) return;
  // An earlier row menu still open is closed first.
  for (QMenu* open : findChildren<QMenu*>(QStringLiteral("macro_action_menu"))) open->close();
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("macro_action_menu"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  auto add = [this](QMenu* into, const char* item) {
    QAction* a = into->addAction(QString::fromStdString(ui::TextOf(item)));
    a->setObjectName(QLatin1String(item));
    connect(a, &QAction::triggered, this, [this, item] { RunMenuItem(item); });
  };
  QMenu* record = menu->addMenu(QString::fromStdString(ui::TextOf("macro_menu_record")));
  for (const char* item : kRecordItems) add(record, item);
  add(menu, "macro_action_edit");
  QMenu* buttons = menu->addMenu(QString::fromStdString(ui::TextOf("macro_menu_mouse")));
  for (const char* item : kButtonItems) add(buttons, item);
  menu->popup(QCursor::pos());
}

void CMacroControlUI::RunMenuItem(const std::string& item) {
  const int recordedOrConstant = constantCheck_->isChecked() ? kDelayConstant : kDelayRecorded;
  const std::string_view before = "redio_previous_", after = "redio_later_";
  const std::string_view name = item;
  if (name.starts_with(before) || name.starts_with(after)) {
    const int capture = name.starts_with(before) ? kCaptureBefore : kCaptureAfter;
    const std::string_view mode = name.substr(name.starts_with(before) ? before.size() : after.size());
    const int delay = mode == "constant_time" ? kDelayConstant : mode == "ignore_time" ? kDelayIgnored : recordedOrConstant;
    StartRecording(capture, delay);
    return;
  }
  if (item == "macro_action_edit") {
    StartRecording(kCaptureReplace, kDelayIgnored);
    return;
  }
  if (SelectedMacro() < 0 || locked_) return;
  ReadConstantDelay();
  if (RunButtonCommand(item)) SaveMacro();
}

void CMacroControlUI::RegisterRoutes(CRouteTable& routes, std::function<CMacroControlUI*()> page,
                                     std::function<IPageHost&()> host) {
  using ui::TNotifyUI;
  namespace n = ui::notify;
  auto on = [page](void (*run)(CMacroControlUI&)) {
    return [page, run](TNotifyUI&, long long) {
      if (CMacroControlUI* p = page()) run(*p);
    };
  };
  auto withHost = [page, host](void (*run)(CMacroControlUI&, IPageHost&)) {
    return [page, host, run](TNotifyUI&, long long) {
      if (CMacroControlUI* p = page()) run(*p, host());
    };
  };
  routes.OnName(n::kItemSelect, "macro_name_list", [page, host](TNotifyUI&, long long) {
    CMacroControlUI* p = page();
    if (p == nullptr) return;
    p->StopRecording();
    p->ShowMacro();
    if (p->locked_) host().ShowMessage("macro_too_long_text");
  });
  routes.OnName(n::kClick, "macro_btn_name_add", on([](CMacroControlUI& p) { p.NewMacro(); }));
  routes.OnName(n::kClick, "macro_btn_name_sub", withHost([](CMacroControlUI& p, IPageHost& h) { p.DeleteMacro(h); }));
  routes.OnName(n::kClick, "macro_btn_name_edit", withHost([](CMacroControlUI& p, IPageHost& h) { p.RenameMacro(h); }));
  routes.OnName(n::kClick, "macro_btn_save", on([](CMacroControlUI& p) { p.SaveMacro(); }));
  routes.OnName(n::kClick, "macro_btn_cancel", on([](CMacroControlUI& p) { p.ShowMacro(); }));
  routes.OnName(n::kClick, "macro_btn_import", withHost([](CMacroControlUI& p, IPageHost& h) { p.ImportMacro(h); }));
  routes.OnName(n::kClick, "macro_btn_export", withHost([](CMacroControlUI& p, IPageHost& h) { p.ExportMacro(h); }));
  routes.OnName(n::kClick, "macro_btn_download", withHost([](CMacroControlUI& p, IPageHost& h) { p.Download(h); }));
  auto move = [page](Move m) {
    return [page, m](TNotifyUI&, long long) {
      CMacroControlUI* p = page();
      if (p == nullptr || p->SelectedMacro() < 0) return;
      p->MoveRow(m);
      p->SaveMacro();
    };
  };
  routes.OnName(n::kClick, "macro_btn_up", move(Move::kUp));
  routes.OnName(n::kClick, "macro_btn_down", move(Move::kDown));
  routes.OnName(n::kClick, "macro_btn_uptop", move(Move::kTop));
  routes.OnName(n::kClick, "macro_btn_downbottom", move(Move::kBottom));
  routes.OnName(n::kClick, "macro_btn_delete", on([](CMacroControlUI& p) {
    if (p.SelectedRow() < 0) return;
    p.DeleteRow();
    p.SaveMacro();
  }));
  routes.OnName(n::kClick, "macro_btn_deleteall", on([](CMacroControlUI& p) {
    p.DeleteAllRows();
    p.SaveMacro();
  }));
  routes.OnName(n::kClick, "macro_btn_starredio", on([](CMacroControlUI& p) {
    p.StartRecording(kCaptureAppend, p.constantCheck_->isChecked() ? kDelayConstant : kDelayRecorded);
  }));
  routes.OnName(n::kClick, "macro_btn_stopredio", on([](CMacroControlUI& p) { p.StopRecording(); }));
  static constexpr const char* kMoves[] = {"macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
                                           "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"};
  for (int v = 0; v < 4; ++v)
    routes.OnExactName(n::kClick, kMoves[v], [page, v](TNotifyUI&, long long) {
      if (CMacroControlUI* p = page()) p->InsertMove(v);
    });
  routes.OnName(n::kKillFocus, "macro_delay", on([](CMacroControlUI& p) { p.SaveMacro(); }));
  for (const char* name : {"macro_action_list", "macro_action"})
    routes.OnName(n::kItemActivate, name, on([](CMacroControlUI& p) { p.OpenRowMenu(); }));
}

}  // namespace orlo
