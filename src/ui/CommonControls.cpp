#include "ui/CommonControls.h"

#include <QWidget>

#include "ui/AudioRecordUI.h"
#include "ui/ChartViewUI.h"
#include "ui/CircleProgressUI.h"
#include "ui/CloudShareListItemUI.h"
#include "ui/ComboEditContainerElementUI.h"
#include "ui/ControlFactory.h"
#include "ui/HandImgButtonUI.h"
#include "ui/HandImgSelectButtonUI.h"
#include "ui/RedioMacroButtonUI.h"
#include "ui/UpdateInfoListItemUI.h"
#include "ui/WndUI.h"

namespace orlo::ui {
namespace {

template <class T>
void Register(const char* className) {
  CControlFactory::GetInstance().RegistControl(className, [](QWidget* parent) { return new T(parent); });
}

}  // namespace

void RegisterCommonControls() {
  // In the start-up's order; the picture panel and key button (4, 5) sit between the window host
  // and the list rows, the device option and power indicator (8, 9) belong to the application.
  Register<CCircleProgressUI>("CCircleProgressUI");
  Register<CChartViewUI>("CChartViewUI");
  Register<CWndUI>("CWndUI");
  RegisterToolkitControls();
  Register<CCloudShareListItemUI>("CCloudShareListItemUI");
  Register<CUpdateInfoListItemUI>("CUpdateInfoListItemUI");
  Register<CComboEditContainerElementUI>("CComboEditContainerElementUI");
  Register<CHandImgButtonUI>("CHandImgButtonUI");
  Register<CHandImgSelectButtonUI>("CHandImgSelectButtonUI");
  Register<CRedioMacroButtonUI>("CRedioMacroButtonUI");
  Register<CAudioRecordUI>("CAudioRecordUI");

  // The names the main window's layouts use.
  Register<CCircleProgressUI>(CCircleProgressUI::kClassName);
  Register<CHandImgButtonUI>(CHandImgButtonUI::kClassName);
  Register<CAudioRecordUI>(CAudioRecordUI::kClassName);
  Register<CHandImgSelectButtonUI>(CHandImgSelectButtonUI::kClassName);
  Register<CRedioMacroButtonUI>(CRedioMacroButtonUI::kClassName);
  Register<CComboEditContainerElementUI>(CComboEditContainerElementUI::kClassName);
}

}  // namespace orlo::ui
