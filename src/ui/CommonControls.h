#pragma once
// Registers the generic custom controls (progress ring, chart, window host, list rows, image
// buttons, macro record button, level meter) with the control factory, under their class names
// and the short names layouts use.
namespace orlo::ui {

void RegisterCommonControls();

}  // namespace orlo::ui
