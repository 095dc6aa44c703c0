#include "ui/ApplicationEvents.h"

#include "ui/Application.h"

TApplicationEvents::TApplicationEvents() { TApplication::Instance().AddEvents(this); }

TApplicationEvents::~TApplicationEvents() { TApplication::Instance().RemoveEvents(this); }
