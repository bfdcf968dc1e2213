// The five writers of the scenario's text files, called by the run in this
// order: line description, train description, notes, slow-order form,
// timetable card. Each replaces its file in the given directory.
#ifndef SCENARIO_SOURCES_SOURCES_H_
#define SCENARIO_SOURCES_SOURCES_H_

#include "sources/dati_linea.h"
#include "sources/dati_note.h"
#include "sources/dati_rallentamenti.h"
#include "sources/dati_scheda.h"
#include "sources/dati_treno.h"
#include "sources/source_names.h"

#endif  // SCENARIO_SOURCES_SOURCES_H_
