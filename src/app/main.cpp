// Tavrin ORLO: configures the mouse, keyboard, mousepad and headset of the family.
#include "app/Application.h"

int main(int argc, char** argv) { return orlo::RunApplication(argc, argv); }
