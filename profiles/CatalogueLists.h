#pragma once

#include "profiles/Catalogue.h"
#include "profiles/OptionList.h"
#include "profiles/OptionSelection.h"

// Fills the list with the table's items and selects the table's default (its last entry).
void FillListFromCatalogue(OptionList& list, CatalogueTable table);

// Fills every option list whose items come from the catalogue alone: all but the profile lists.
void FillCatalogueLists(OptionSelection& options);
