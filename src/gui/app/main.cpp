#include "gui/app/application.h"

int main(int argc, char** argv) {
    return vc::gui::RunApplication(argc, argv);
}
