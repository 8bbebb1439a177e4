// The commands the key-assignment dialog offers, by category, in the order
// it lists them; and a command's prompt split into its name and description.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CommandCategory {
    int id;
    const char16_t* name;
};

struct CatalogueRow {
    int category;
    uint16_t command;
};

// The categories in the order shown.
const std::vector<CommandCategory>& CommandCategories();
// Every row, categories mixed, in catalogue order.
const std::vector<CatalogueRow>& CommandCatalogue();
// The commands of one category in catalogue order.
std::vector<uint16_t> CommandsOfCategory(int category);

// A prompt is "description\nname": the name is what follows the first line
// break ("" without one), the description what precedes it (all of it
// without one).
std::u16string PromptName(const std::u16string& prompt);
std::u16string PromptDescription(const std::u16string& prompt);
