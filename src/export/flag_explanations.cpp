#include "flag_explanations.h"

#include "sweep/sweep_result.h"

namespace ardenca::exports {

namespace {

// The meanings and remedies are the guide's sentences; the guide's test checks that
// they stay the same there.
constexpr FlagExplanation table[] = {
    {sweep::Ambiguous, "ambiguous", "flag-ambiguous",
     "Another solution lies within the tracking tolerance of the chosen one: the choice at "
     "this point is uncertain.",
     "Add points in frequency around it."},
    {sweep::NoSolution, "no solution", "flag-no-solution",
     "No ground in the search box reproduces the reading.",
     "Check the probe's dimensions, the fixture and the reading; widen the search box if the "
     "ground is unusual."},
    {sweep::ElectricallyLong, "electrically long", "flag-electrically-long",
     "The probe is longer than an eighth of a wavelength in the ground: several grounds can "
     "fit one reading.",
     "Sweep the probe over frequency to tell them apart, or use shorter rods."},
    {sweep::InfiniteReading, "open circuit", "flag-open-circuit",
     "The meter read an infinite impedance: a rod not connected, or not in the ground.",
     "Check both rods' connections and that they are in the ground."},
    {sweep::IncompleteCount, "count not proved", "flag-count-not-proved",
     "The solver could not prove that its list holds every ground: other grounds may fit.",
     "Trust the value only where its neighbours in frequency agree with it."},
    {sweep::Outlier, "left out", "flag-left-out",
     "No ground of this reading continues the band: every one of them breaks the line the "
     "other readings follow, so the reading is left out and steers nothing.",
     "Check this reading: a loose connector, a rod moved, or interference at that frequency. "
     "A few left out in a long sweep do no harm; many in a row mean the band holds two "
     "grounds (measure closer in frequency)."},
    {sweep::OffModel, "off the soil model", "flag-off-the-soil-model",
     "The ground nearest the fitted soil model at this frequency still lies more than 3 "
     "uncertainties from it: a spoilt reading, or the soil's own ground left the search box "
     "there.",
     "The point keeps that nearest ground; trust the model's line rather than the point, or "
     "check the reading."},
    {sweep::NearAlternative, "near ground fits too", "flag-near-ground-fits-too",
     "One ground fits the reading exactly, but grounds near it fit within the meter's "
     "accuracy as well: the value is less certain than its uncertainty alone suggests.",
     "Take the value as a rough one, or measure with a more accurate meter."},
    {sweep::Unresolvable, "not resolvable", "flag-not-resolvable",
     "The reading was not searched: the probe is too many half-waves long in the densest "
     "ground of the search box, or the box holds too many grounds.",
     "Use shorter rods, a lower frequency or a smaller search box."},
    {sweep::Provisional, "provisional", "flag-provisional",
     "The location was tracked over part of its points only — the sweep is still solving, or "
     "was cancelled.",
     "More points could change the choice; solve the sweep to the end for a final answer."},
};

} // namespace

std::span<const FlagExplanation> flag_explanations() {
    return table;
}

const FlagExplanation* flag_explanation(unsigned bit) {
    for (const FlagExplanation& e : table)
        if (e.bit == bit)
            return &e;
    return nullptr;
}

} // namespace ardenca::exports
