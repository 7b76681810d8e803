# Writes survey-sample.sav, the SPSS twin of survey-sample.csv: the same
# rows, the ratings' "don't know" code 99 as a user-missing value, labels
# for the variables. Run from this folder: Rscript survey-sample.R
library(haven)
d <- read.csv2("survey-sample.csv", colClasses = c(resp_id = "character", region = "character"))
labels <- c(resp_id = "Respondent", region = "Region", price = "Price rating", quality = "Quality rating",
            service = "Service rating", design = "Design rating", spend = "Spending per visit")
for (v in c("price", "quality", "service", "design"))
  d[[v]] <- labelled_spss(d[[v]], c("Don't know" = 99), na_values = 99)
for (v in names(labels)) attr(d[[v]], "label") <- labels[[v]]
write_sav(d, "survey-sample.sav")
