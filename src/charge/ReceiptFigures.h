#pragma once
// The figures of a receipt and a detailed statement from one finished pricing
// run: the engine's results mapped onto the receipt's
//   ① 본인부담금   = patient share − support fund + partial-copay patient share
//   ② 보험자부담금 = insurer's claim + partial-copay claim            (gongdan)
//                  + veterans' claim + what the veterans' reduction
//                    leaves of the partial-copay drugs               (bohun)
//                  + support fund                                     (jiwon)
//   ③ 비급여       = non-covered amount + 100/100 amount (full)
// so that ① + ③ is the amount to collect and ① + ② + ③ the whole bill, and
// the items of the statement: every fee item, every drug line with its
// price difference, each split into 본인부담 / 공단부담 / 전액본인부담 /
// 비급여, and one line for the cutting of the totals to 10 won, so that the
// items add up to the receipt column by column.

#include "data/StoredCharge.h"

#include <string>
#include <vector>

namespace pelmora {

class clsAccount;

// account: the finished run on the request sPara1/sPara2. lineNames: the drug
// name of each line record of sPara2, in order (a missing name prints empty).
// runError: the run reported an error (the figures are marked).
StoredCharge ReceiptFigures(const clsAccount& account, const std::string& sPara1, const std::string& sPara2,
                            const std::vector<std::string>& lineNames, bool runError = false);

// Splits whole won of total over the weights in proportion, largest
// remainder first; the parts add up to total exactly. Weights must be
// non-negative with a positive sum.
std::vector<Currency> Apportion(Currency total, const std::vector<Currency>& weights);

} // namespace pelmora
