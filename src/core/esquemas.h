#pragma once
// The three database schemas, as the SQL files in schemas/ hold them.
namespace tarvo::esquemas {
const char* antiga();    // the old edition's single database
const char* nova();      // a user's database of the new edition
const char* usuarios();  // the new edition's users database
}  // namespace tarvo::esquemas
