#include "app/startup.h"
#include "platform/language.h"

int main() {
  language::UseEnvironmentLocale();
  StartUp();
}
