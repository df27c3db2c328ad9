#include "app/startup.h"

int main() { StartUp(); }
