#pragma once

// The nine statements that create the catalogue's seven tables and the two
// triggers on t_proxy. Only t_game and t_subtype are used; the others keep
// every database file the same shape.
namespace catalogue_schema {

extern const char* const kCreateGame;
extern const char* const kCreateProxy;
extern const char* const kCreateDeleteTrigger;
extern const char* const kCreateInsertTrigger;
extern const char* const kCreateLine;
extern const char* const kCreateLineType;
extern const char* const kCreateLocalInstall;
extern const char* const kCreateSubtype;
extern const char* const kCreateType;

} // namespace catalogue_schema
