// Field stops, whole: include this one.
#pragma once

#include "snippets/choices.h"
#include "snippets/marking.h"
#include "snippets/mirrors.h"
#include "snippets/moving.h"
#include "snippets/state.h"
#include "snippets/tracking.h"
