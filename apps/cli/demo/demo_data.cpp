#include "demo/demo_data.h"

namespace demo {
namespace {

Group make_group() {
    Group g;
    g.company_code = 1;
    g.name = "Gruppo IVA Demo S.p.A.";
    g.chart_group = 1;
    g.account_customers = "1101000000";
    g.account_suppliers = "2101000000";
    g.accounts = {
        {"1101000000", "Crediti verso clienti"},
        {"2101000000", "Debiti verso fornitori"},
        {"4101000001", "Ricavi vendite merci"},
        {"4101000002", "Ricavi prestazioni servizi"},
        {"5101000001", "Acquisti merci"},
        {"5101000002", "Costi per servizi"},
        {"1401000001", "IVA a credito"},
        {"2401000001", "IVA a debito"},
        {"1801000001", "Banca c/c"},
        {"1801000002", "Cassa"},
    };
    g.sections = {{"01", "Registro vendite"}, {"02", "Registro acquisti"}, {"03", "Operazioni diverse"}};
    g.causals = {
        {"FV", "Fattura di vendita", "1"},
        {"FA", "Fattura di acquisto", "31"},
        {"PAG", "Pagamento fornitore", ""},
        {"INC", "Incasso cliente", ""},
    };
    g.vat_codes = {{"22", "Aliquota 22%", "22"}, {"10", "Aliquota 10%", "10"}, {"4", "Aliquota 4%", "4"}};
    g.registry = {
        {0, 0, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205"},
        {0, 1, "Trasporti Veloci S.r.l.", "Via Emilia 80", "40133", "Bologna", "BO", "02233440377",
         "02233440377", "A944"},
    };
    g.proposal_codes = {
        {"Banca (contropartita generica)", "1801000001"},  // 1
        {"IVA su vendite", "2401000001"},                  // 2
        {"IVA su vendite in sospensione", "2401000001"},   // 3
        {"IVA su acquisti", "1401000001"},                 // 4
        {"Giroconti IVA", "2401000001"},                   // 5
        {"Acquisti", "5101000001"},                        // 6
        {"Vendite", "4101000001"},                         // 7
        {"Corrispettivi", "4101000001"},                   // 8
        {"Costi indetraibili", "5101000002"},              // 9
        {"Omaggi", "5101000002"},                          // 10
        {"Arrotondamenti", "5101000002"},                  // 11
        {"IVA corrispettivi", "2401000001"},               // 12
        {"Cassa", "1801000002"},                           // 13
    };
    g.proposal_settings = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    return g;
}

// Alfa transcodes sections, accounts and causals through value rows; VAT codes are the
// group's own.
Member make_alfa() {
    Member m;
    m.registry_code = 900001;
    m.own_company_code = 10;
    m.name = "Alfa Commerciale S.r.l.";
    m.address = "Corso Italia 5";
    m.cap = "10121";
    m.city = "Torino";
    m.province = "TO";
    m.fiscal_code = "01122334455";
    m.vat_number = "01122334455";
    m.ind_sections = 1;
    m.ind_accounts = 1;
    m.ind_causals = 1;
    m.ind_vat = 0;
    m.section_sales = "V";
    m.section_purchases = "A";
    m.section_general = "G";
    m.account_customers = "C000000000";
    m.account_suppliers = "F000000000";
    m.account_revenue = "R10";
    m.account_cost = "K10";
    m.account_vat_sales = "E20";
    m.account_vat_purchases = "E21";
    m.account_bank = "B01";
    m.causals = {{"FTV", "Fattura vendita", "1"},
                 {"FTA", "Fattura acquisto", "31"},
                 {"PAGF", "Pagamento fornitore", ""},
                 {"INCC", "Incasso cliente", ""}};
    m.vat_codes = {
        {"22", "Aliquota 22%", "22"}, {"10", "Aliquota 10%", "10"}, {"N2", "Non soggetto art.7", "0"}};
    m.mappings = {
        {0, "V", "01"},           {0, "A", "02"},           {0, "G", "03"},
        {2, "FTV", "FV"},         {2, "FTA", "FA"},         {2, "PAGF", "PAG"},
        {2, "INCC", "INC"},       {3, "R10", "4101000001"}, {3, "K10", "5101000001"},
        {3, "E20", "2401000001"}, {3, "E21", "1401000001"}, {3, "B01", "1801000001"},
    };
    m.parties = {
        {1, 0, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205"},
        {2, 0, "Bar Centrale di Neri Luca", "Piazza Duomo 1", "50122", "Firenze", "FI", "NRELCU70A01D612X",
         "05566770488", "D612"},
        {3, 0, "L'Angolo del Libro S.a.s.", "Via Garibaldi 3", "16124", "Genova", "GE", "04455660109",
         "04455660109", "D969"},
        {1, 1, "Trasporti Veloci S.r.l.", "Via Emilia 80", "40133", "Bologna", "BO", "02233440377",
         "02233440377", "A944"},
        {2, 1, "Carta e Penna S.p.A.", "Viale Europa 22", "00144", "Roma", "RM", "07788990011", "07788990011",
         "H501"},
    };
    m.numreg_prefix = "A";
    return m;
}

// Beta uses a fixed section, the account proposal for accounts, the group's causals
// unchanged (creating the ones the group lacks) and VAT codes through value rows.
Member make_beta() {
    Member m;
    m.registry_code = 900002;
    m.own_company_code = 20;
    m.name = "Beta Servizi S.p.A.";
    m.address = "Via Torino 44";
    m.cap = "35131";
    m.city = "Padova";
    m.province = "PD";
    m.fiscal_code = "09988776655";
    m.vat_number = "09988776655";
    m.ind_sections = 2;
    m.fixed_section = "03";
    m.ind_accounts = 3;
    m.ind_causals = 0;
    m.ind_vat = 1;
    m.section_sales = "1";
    m.section_purchases = "2";
    m.section_general = "9";
    m.account_customers = "CLIENTI";
    m.account_suppliers = "FORNITORI";
    m.account_revenue = "RICSERV";
    m.account_cost = "COSTSERV";
    m.account_vat_sales = "IVADEB";
    m.account_vat_purchases = "IVACRED";
    m.account_bank = "BANCA";
    m.causals = {{"FV", "Fattura di vendita", "1"},
                 {"FA", "Fattura di acquisto", "31"},
                 {"PAG", "Pagamento fornitore", ""},
                 {"INCB", "Incasso con bonifico", ""}};
    m.vat_codes = {{"V22", "IVA 22%", "22"}, {"V10", "IVA 10%", "10"}};
    m.mappings = {{1, "V22", "22"}, {1, "V10", "10"}};
    m.parties = {
        {11, 0, "Studio Bianchi Associati", "Via Dante 9", "35122", "Padova", "PD", "01234560288",
         "01234560288", "G224"},
        {12, 0, "Ottica Moderna S.n.c.", "Via Roma 12", "20121", "Milano", "MI", "03366550156", "03366550156",
         "F205"},
        {21, 1, "Pulizie Lampo S.r.l.", "Via Po 7", "10124", "Torino", "TO", "08877665544", "08877665544",
         "L219"},
    };
    m.numreg_prefix = "B";
    return m;
}

}  // namespace

const Group& group() {
    static const Group g = make_group();
    return g;
}

const std::vector<Member>& members() {
    static const std::vector<Member> m = {make_alfa(), make_beta()};
    return m;
}

}  // namespace demo
