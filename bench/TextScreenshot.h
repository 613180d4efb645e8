#pragma once

// Real-looking 1440 x 900 screenshots of a light application window with text, for the
// benches that name files.
#include "engine/ReadingTestImages.h"

#include <cctype>
#include <filesystem>
#include <random>
#include <string>

namespace text_screenshot {

inline const char* const headings[] = {
    "Flight to Lisbon",        "Quarterly Budget Review", "Dentist Appointment",
    "Invoice 2026-0314",       "Team Offsite Agenda",     "Password Reset",
    "Hotel Reservation Porto", "Release Notes 4.2",       "Electricity Bill March",
    "Train Tickets Munich",    "Job Offer Letter",        "Insurance Claim Status",
    "Weekly Sales Dashboard",  "Parcel Delivery Update",  "Conference Schedule",
    "Apartment Rental Terms",  "Server Error Report",     "Recipe Lemon Cake",
    "Tax Return Summary",      "Concert Tickets Berlin"};

inline const char* const words[] = {
    "the",     "budget",   "review",   "for",      "meeting",  "notes",    "project", "timeline",
    "and",     "customer", "feedback", "release",  "schedule", "design",   "update",  "team",
    "report",  "booking",  "invoice",  "payment",  "account",  "settings", "server",  "message",
    "summary", "details",  "order",    "shipping", "address",  "pending",  "weekly",  "total",
    "amount",  "price",    "support",  "ticket",   "resolved", "version",  "changes", "results"};

inline std::string sentence(std::mt19937& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i ? " " : "") + std::string(words[random() % std::size(words)]);
    }
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

// A light application window: title bar, sidebar, a heading and paragraphs.
inline bool save(const std::filesystem::path& path, const std::string& heading, unsigned seed) {
    std::mt19937 random(seed);
    reading_test::Canvas canvas(1440, 900, 250);
    canvas.fill(0, 0, 1440, 40, 228, 228, 231);
    canvas.text(heading + " - Web Browser", 560, 11, 14, 60);
    canvas.fill(0, 40, 240, 860, 240, 241, 244);
    int y = 70;
    for (int i = 0; i < 9; ++i) {
        y += canvas.text(sentence(random, 2), 20, y, 15, 50) + 16;
    }
    y = 100;
    y += canvas.text(heading, 290, y, 36, 20, true) + 30;
    while (y < 820) {
        y += canvas.text(sentence(random, 9 + static_cast<int>(random() % 5)), 290, y, 18, 50) + 14;
    }
    return canvas.save(path);
}

} // namespace text_screenshot
