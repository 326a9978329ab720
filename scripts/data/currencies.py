"""Initial currency rates shipped in currs.lst, as units of each currency per
US dollar. The program stores the inverse (value of one unit in dollars, the
feed's common base) and replaces every rate at its first rate update.

The figures are rounded market levels of mid-July 2025, entered by hand: the
machine that builds the data reaches no rate service. They are a starting
point for the converter, not an official fixing."""

RATE_DATE = "2025-07-15"
RATE_NOTE = "rounded market levels of mid-July 2025, entered by hand; not an official fixing"

# ISO 4217 entries of iso-codes that are no money in circulation (funds,
# precious metals, test and settlement codes) or that were replaced.
LEFT_OUT = {
    "BOV", "CHE", "CHW", "CLF", "COU", "MXV", "USN", "UYI", "UYW",
    "XAG", "XAU", "XBA", "XBB", "XBC", "XBD", "XDR", "XPD", "XPT", "XSU", "XTS", "XUA", "XXX",
    "HRK",  # replaced by the euro in 2023
    "SLL",  # replaced by SLE
    "CUC",  # withdrawn in 2021
    "ZWL",  # replaced by ZWG in 2024
    "ANG",  # replaced by XCG in 2025
    "VED",  # same name as VES in iso-codes; VES is the quoted one
}

# Currencies issued after the iso-codes release installed here.
SUPPLEMENT = {
    "ZWG": "Zimbabwe Gold",
    "XCG": "Caribbean Guilder",
}

UNITS_PER_USD = {
    "AED": 3.6725, "AFN": 69.5, "ALL": 84.5, "AMD": 384.0, "AOA": 917.0, "ARS": 1250.0,
    "AUD": 1.53, "AWG": 1.79, "AZN": 1.70, "BAM": 1.68, "BBD": 2.0, "BDT": 122.0,
    "BGN": 1.68, "BHD": 0.376, "BIF": 2975.0, "BMD": 1.0, "BND": 1.285, "BOB": 6.91,
    "BRL": 5.56, "BSD": 1.0, "BTN": 85.9, "BWP": 13.4, "BYN": 3.27, "BZD": 2.0,
    "CAD": 1.37, "CDF": 2890.0, "CHF": 0.80, "CLP": 950.0, "CNY": 7.17, "COP": 4000.0,
    "CRC": 505.0, "CUP": 24.0, "CVE": 94.5, "CZK": 21.2, "DJF": 177.7, "DKK": 6.40,
    "DOP": 60.5, "DZD": 130.0, "EGP": 49.5, "ERN": 15.0, "ETB": 137.0, "EUR": 0.858,
    "FJD": 2.25, "FKP": 0.745, "GBP": 0.745, "GEL": 2.71, "GHS": 10.4, "GIP": 0.745,
    "GMD": 72.0, "GNF": 8670.0, "GTQ": 7.68, "GYD": 209.0, "HKD": 7.85, "HNL": 26.2,
    "HTG": 131.0, "HUF": 342.0, "IDR": 16300.0, "ILS": 3.35, "INR": 85.9, "IQD": 1310.0,
    "IRR": 42100.0, "ISK": 122.0, "JMD": 160.0, "JOD": 0.709, "JPY": 148.0, "KES": 129.0,
    "KGS": 87.4, "KHR": 4010.0, "KMF": 422.0, "KPW": 900.0, "KRW": 1385.0, "KWD": 0.306,
    "KYD": 0.833, "KZT": 520.0, "LAK": 21600.0, "LBP": 89500.0, "LKR": 301.0, "LRD": 200.0,
    "LSL": 17.9, "LYD": 5.42, "MAD": 9.0, "MDL": 17.0, "MGA": 4430.0, "MKD": 52.8,
    "MMK": 2100.0, "MNT": 3580.0, "MOP": 8.08, "MRU": 39.7, "MUR": 45.5, "MVR": 15.4,
    "MWK": 1735.0, "MXN": 18.7, "MYR": 4.25, "MZN": 63.9, "NAD": 17.9, "NGN": 1530.0,
    "NIO": 36.8, "NOK": 10.2, "NPR": 137.4, "NZD": 1.67, "OMR": 0.3845, "PAB": 1.0,
    "PEN": 3.57, "PGK": 4.13, "PHP": 57.0, "PKR": 284.0, "PLN": 3.66, "PYG": 7900.0,
    "QAR": 3.64, "RON": 4.35, "RSD": 100.5, "RUB": 78.3, "RWF": 1445.0, "SAR": 3.75,
    "SBD": 8.35, "SCR": 14.4, "SDG": 600.0, "SEK": 9.65, "SGD": 1.28, "SHP": 0.745,
    "SLE": 22.7, "SOS": 571.0, "SRD": 37.0, "SSP": 4500.0, "STN": 21.0, "SVC": 8.75,
    "SYP": 13000.0, "SZL": 17.9, "THB": 32.4, "TJS": 9.6, "TMT": 3.5, "TND": 2.93,
    "TOP": 2.36, "TRY": 40.2, "TTD": 6.78, "TWD": 29.4, "TZS": 2600.0, "UAH": 41.8,
    "UGX": 3590.0, "USD": 1.0, "UYU": 40.3, "UZS": 12650.0, "VES": 115.0, "VND": 26150.0,
    "VUV": 119.0, "WST": 2.73, "XAF": 563.0, "XCD": 2.70, "XOF": 563.0, "XPF": 102.4,
    "YER": 241.0, "ZAR": 17.9, "ZMW": 23.3, "ZWG": 26.9, "XCG": 1.79,
}
