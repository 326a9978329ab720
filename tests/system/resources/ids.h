#pragma once
// Ids shared by the test scripts and the tests.
#define IDD_LANGUAGE_MARK 318
#define IDS_CITIES_MISSING 32996
#define IDS_SYNC_FAILED 33014
#define IDD_DETAILS 500
