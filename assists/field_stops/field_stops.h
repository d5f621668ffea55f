// Field stops, whole: include this one.
#pragma once

#include "assists/field_stops/choices.h"
#include "assists/field_stops/marking.h"
#include "assists/field_stops/mirrors.h"
#include "assists/field_stops/moving.h"
#include "assists/field_stops/state.h"
#include "assists/field_stops/tracking.h"
