#pragma once
// Resource ids of the Today plug-in Ondrelpane (its own resource script, Ondrelpane.rc).

#define IDS_TODAY_ITEM_NAME 1

#define IDI_DETAILS_NEXT 104
#define IDI_DETAILS_PREVIOUS 105
#define IDI_DETAILS_VISIBILITY 107
#define IDI_TODAY_UNUSED 109
#define IDI_DETAILS_DATE 110
#define IDI_DETAILS_WIND 111
#define IDI_DETAILS_UPDATED 113
#define IDI_DETAILS_PRECIPITATION 114
#define IDI_DETAILS_HUMIDITY 115
#define IDI_DETAILS_PRESSURE 116
#define IDI_TODAY_GLOBE 117

#define IDD_WEATHER_DETAILS 500
