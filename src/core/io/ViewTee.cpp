#include "core/io/ViewTee.h"

namespace rq {

void ViewTee::setText(Control control, const std::string& text) {
    both(&WizardView::setText, control, text);
}

void ViewTee::setBold(Control control, bool bold) {
    both(&WizardView::setBold, control, bold);
}

void ViewTee::setEnabled(Control control, bool enabled) {
    both(&WizardView::setEnabled, control, enabled);
}

void ViewTee::setProgress(const Progress& progress) {
    both(&WizardView::setProgress, progress);
}

void ViewTee::setStatus(int panel, const std::string& text) {
    both(&WizardView::setStatus, panel, text);
}

void ViewTee::setBusyPointer(bool busy) {
    both(&WizardView::setBusyPointer, busy);
}

void ViewTee::stepIndexChanged(int stepIndex) {
    both(&WizardView::stepIndexChanged, stepIndex);
}

void ViewTee::traceLine(const std::string& line) {
    if (record_ != nullptr) record_->traceLine(line);
    if (shown_ != nullptr && traceShown_) shown_->traceLine(line);
}

void ViewTee::showMessage(const std::string& title, const std::string& text, const std::string& hint) {
    both(&WizardView::showMessage, title, text, hint);
}

std::optional<FileChoice> ViewTee::chooseFirmwareFile() {
    return shown_ != nullptr ? shown_->chooseFirmwareFile() : std::nullopt;
}

std::optional<ModelSerialEntry> ViewTee::askModelAndSerial() {
    return shown_ != nullptr ? shown_->askModelAndSerial() : std::nullopt;
}

// The record keeps the question; the person's view answers it.
bool ViewTee::askYesNo(const std::string& title, const std::string& text) {
    if (record_ != nullptr) record_->askYesNo(title, text);
    return shown_ != nullptr && shown_->askYesNo(title, text);
}

void ViewTee::showSettingsDialog(const std::optional<PortConfModel>& model) {
    if (shown_ != nullptr) shown_->showSettingsDialog(model);
}

void ViewTee::endProgram() {
    both(&WizardView::endProgram);
}

void ViewTee::settingsChanged(const CommSettings& settings, const std::string& device) {
    both(&WizardView::settingsChanged, settings, device);
}

void ViewTee::readBackChanged(bool on) {
    both(&WizardView::readBackChanged, on);
}

void ViewTee::backupNoted(const BackupNote& note) {
    both(&WizardView::backupNoted, note);
}

}  // namespace rq
